// Everything of the QorPixelmill image library.
#pragma once

#include "QorObjImage.h"
#include "QorPixelFilters.h"
#include "QorPixelProcess.h"
#include "QorPixelRoutines.h"
