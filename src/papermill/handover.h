#pragma once
// Explorer starts one Papermill for each item of a selection it shreds: the first start opens the
// window, and each later one hands its items to that window, which takes them unless it is busy
// shredding or wiping.
#include "papermill/report.h"
#include "toolkit/handover.h"

namespace papermill {

// "PMPT" marks a WM_COPYDATA of Papermill's paths.
inline constexpr toolkit::Handover kHandover{0x504D5054, kTitle, L"Local\\Papermill.starting"};

}  // namespace papermill
