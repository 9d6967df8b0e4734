// Pointer shapes on a 32-unit grid. Each drawing returns its hot spot.
#pragma once

#include "Raster.h"

namespace makeassets::shapes {

Vec2 arrow(Canvas& c);
Vec2 appStarting(Canvas& c, int frame, int frames);
Vec2 crosshair(Canvas& c);
Vec2 hand(Canvas& c);
Vec2 help(Canvas& c);
Vec2 iBeam(Canvas& c);
Vec2 no(Canvas& c);
Vec2 pen(Canvas& c);
Vec2 sizeAll(Canvas& c);
Vec2 sizeNESW(Canvas& c);
Vec2 sizeNS(Canvas& c);
Vec2 sizeNWSE(Canvas& c);
Vec2 sizeWE(Canvas& c);
Vec2 upArrow(Canvas& c);
Vec2 wait(Canvas& c, int frame, int frames);
Vec2 pin(Canvas& c);
Vec2 person(Canvas& c);

}  // namespace makeassets::shapes
