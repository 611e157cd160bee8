#include "environment/app_visuals.h"

#include <utility>

namespace {

const AppVisuals* liveVisuals = nullptr;

}  // namespace

HICON AppIcon() { return liveVisuals ? liveVisuals->Icon() : nullptr; }

HFONT BoldFont() { return liveVisuals ? liveVisuals->Font() : nullptr; }

AppVisuals::AppVisuals(HICON icon, UniqueGdiObject font)
    : icon_(icon), font_(std::move(font)), previous_(std::exchange(liveVisuals, this)) {}

AppVisuals::~AppVisuals() { liveVisuals = previous_; }
