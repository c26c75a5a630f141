#include "CreateObjectFactory.h"

#include <new>

#include "PageGroupObj.h"
#include "PageShapeObj.h"
#include "PageTextObj.h"
#include "PageVideoObj.h"

using namespace Vectorloom;

namespace {
thread_local CObjectCountBudget* t_budget = nullptr;
}  // namespace

CObjectCountBudget::CObjectCountBudget(size_t limit) : m_nLeft(limit), m_pOuter(t_budget) { t_budget = this; }

CObjectCountBudget::~CObjectCountBudget() { t_budget = m_pOuter; }

bool CObjectCountBudget::Take() {
  CObjectCountBudget* budget = t_budget;
  if (!budget) return true;
  if (budget->m_nLeft == 0) {
    budget->m_bExceeded = true;
    return false;
  }
  --budget->m_nLeft;
  return true;
}

CRenderBaseObj* CCreateObjectFactory::CreateObject(int type) {
  if (!CObjectCountBudget::Take()) return nullptr;
  switch (type) {
    case RENDER_OBJ_SHAPE:
      return new (std::nothrow) CPageShapeObj;
    case RENDER_OBJ_GROUP:
      return new (std::nothrow) CPageGroupObj;
    case RENDER_OBJ_TEXT:
      return new (std::nothrow) CPageTextObj;
    case RENDER_OBJ_VIDEO:
      return new (std::nothrow) CPageVideoObj;
    default:
      return nullptr;
  }
}
