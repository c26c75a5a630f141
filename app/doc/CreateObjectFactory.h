// The factory every reader and paste makes the program's page objects with.
#pragma once

#include <vectorloom/ObjectLoader.h>

class CCreateObjectFactory : public Vectorloom::CBaseObjectFactory {
 public:
  // 0 CPageShapeObj, 2 CPageGroupObj, 3 CPageTextObj, 4 CPageVideoObj; null for anything else.
  // The object comes with no reference taken.
  Vectorloom::CRenderBaseObj* CreateObject(int type) override;
};

// While one lives, the factory makes at most `limit` objects on this thread (groups' children
// included) and gives null past that, so that a crafted record list cannot make a reader build
// millions of objects. Budgets nest; the innermost one counts.
class CObjectCountBudget {
 public:
  explicit CObjectCountBudget(size_t limit);
  ~CObjectCountBudget();
  CObjectCountBudget(const CObjectCountBudget&) = delete;
  CObjectCountBudget& operator=(const CObjectCountBudget&) = delete;

  // Whether an object was refused for want of budget.
  bool Exceeded() const { return m_bExceeded; }
  // Takes one object from the current budget; true when there is none.
  static bool Take();

 private:
  size_t m_nLeft;
  bool m_bExceeded = false;
  CObjectCountBudget* m_pOuter;
};
