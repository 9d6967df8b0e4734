#pragma once
// FileStamp lives in scheme/, where the history also tells files apart by it.
#include "scheme/FileStamp.h"
