#pragma once

// Lumapress: PNG images into Flash movies (SWF version 6).

#include "lumapress/convert.h"
#include "lumapress/settings.h"
#include "lumapress/status.h"
#include "lumapress/version.h"
