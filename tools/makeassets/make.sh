#!/bin/sh
# Builds tools/makeassets with the host compiler and regenerates the assets in the repository.
set -e; root=$(cd "$(dirname "$0")/../.." && pwd); g++ -std=c++20 -O2 -Wall -Wextra -o /tmp/shubiao-makeassets "$root"/tools/makeassets/*.cpp && /tmp/shubiao-makeassets "$root"
