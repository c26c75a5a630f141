// The model half of the core object library in one include.
#pragma once

#include "BitmapRes.h"
#include "EditAction.h"
#include "GroupObj.h"
#include "ObjectLoader.h"
#include "RefObj.h"
#include "RenderObj.h"
#include "RenderPage.h"
#include "ShapeObj.h"
#include "TransMatrix.h"
#include "UnitConv.h"
#include "VectorTypes.h"
#include "WorkspaceDoc.h"
