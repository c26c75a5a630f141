// Everything of the QorPixelmill image library.
#pragma once

#include "QorObjImage.h"
#include "QorPixelFilters.h"
#include "QorPixelProcess.h"
#include "QorPixelRoutines.h"
#include "QorObjSelection.h"
#include "QorPixelRandom.h"
#include "QorPixelFilterBase.h"
#include "QorPixelPointFilters.h"
#include "QorPixelLUTRoutine.h"
#include "QorPixelLUTFilters.h"
#include "QorPixelConvolution.h"
#include "QorPixelGradient.h"
#include "QorPixelColorAdjust.h"
