#include "quirebook/PublicationDoc.h"

#include <atomic>

#include <gdi/lwdpi.h>
#include <gdi/wingdi.h>
#include <vectorloom/GroupObj.h>

#include <string>
#include <utility>

namespace Quirebook {

namespace {

// Units per inch of each eUnit code; pixels use the resolution given.
double UnitsPerInch(int unit, int dpi) {
  switch (unit) {
    case Vectorloom::UNIT_INCH: return 1.0;
    case Vectorloom::UNIT_CENTIMETER: return 2.54;
    case Vectorloom::UNIT_MILLIMETER: return 25.4;
    case Vectorloom::UNIT_PIXEL: return dpi;
    case Vectorloom::UNIT_POINT: return 72.0;
    default: return 0.0;
  }
}

float ConvertLength(float value, int from, int to, int dpi) {
  if (from == to) return value;
  const double fromPerInch = UnitsPerInch(from, dpi), toPerInch = UnitsPerInch(to, dpi);
  if (fromPerInch <= 0.0 || toPerInch <= 0.0) return value;
  return static_cast<float>(value / fromPerInch * toPerInch);
}

}  // namespace

Vectorloom::CQorVectorSize<float> ConvertLogSize(float width, float height, int from, int to, int dpiX, int dpiY) {
  return {ConvertLength(width, from, to, dpiX), ConvertLength(height, from, to, dpiY)};
}

void GetScreenDpi(int& dpiX, int& dpiY) {
  dpiX = lw::PixelsPerInch(nullptr, LOGPIXELSX);
  dpiY = lw::PixelsPerInch(nullptr, LOGPIXELSY);
}

// ---------------------------------------------------------------------------------------------
// CDrawingPage

CDrawingPage::~CDrawingPage() {
  if (m_pSource) m_pSource->Release();
}

CDrawingPage& CDrawingPage::operator=(const CDrawingPage& other) {
  if (this == &other) return *this;
  CRenderPage::operator=(other);
  m_fLogWidth = other.m_fLogWidth;
  m_fLogHeight = other.m_fLogHeight;
  m_nLogUnit = other.m_nLogUnit;
  m_bContentLoaded = other.m_bContentLoaded;
  m_dwPageFlags = other.m_dwPageFlags;
  m_nSourceIndex = other.m_nSourceIndex;
  SetPageSourceContent(other.m_pSource);
  return *this;
}

void CDrawingPage::SetPageSourceContent(IPageContentSource* source) {
  if (source == m_pSource) return;
  if (source) source->AddRef();
  if (m_pSource) m_pSource->Release();
  m_pSource = source;
}

Vectorloom::CQorVectorSize<float> CDrawingPage::GetPageSize(int unit) const {
  int dpiX = 0, dpiY = 0;
  if (unit == Vectorloom::UNIT_PIXEL || m_nLogUnit == Vectorloom::UNIT_PIXEL) GetScreenDpi(dpiX, dpiY);
  return ConvertLogSize(m_fLogWidth, m_fLogHeight, m_nLogUnit, unit, dpiX, dpiY);
}

bool CDrawingPage::LoadPageContent(CPublicationDoc* doc) {
  std::unique_lock<std::recursive_mutex> lock;
  if (doc) lock = doc->LockContent();
  if (m_bContentLoaded) return true;
  if (!m_pSource) return false;
  if (m_pSource->LoadPageContent(this, m_nSourceIndex + 1, doc)) {
    m_bContentLoaded = 1;
    return true;
  }
  Clear();
  m_bContentLoaded = 0;
  return false;
}

void CDrawingPage::Clear() { m_objList.RemoveAllElements(); }

void CDrawingPage::CollectVideoObjects(Vectorloom::CRenderBaseObjectList& list) const {
  CollectVideoObjects(m_objList, list);
}

void CDrawingPage::CollectVideoObjects(const Vectorloom::CRenderBaseObjectList& objects,
                                       Vectorloom::CRenderBaseObjectList& list) {
  for (Vectorloom::CRenderBaseObj* obj : objects) {
    if (!obj) continue;
    if (obj->GetObjectType() == 4)
      list.AddElement(obj);
    else if (obj->GetObjectType() == 2)
      CollectVideoObjects(static_cast<Vectorloom::CRenderGroupObj*>(obj)->GetChildList(), list);
  }
}

// ---------------------------------------------------------------------------------------------
// CPublicationDoc

using Vectorloom::CWorkspaceDoc;

IMPLEMENT_DYNCREATE(CPublicationDoc, CWorkspaceDoc)

BEGIN_MESSAGE_MAP(CPublicationDoc, CWorkspaceDoc)
END_MESSAGE_MAP()

namespace {
uint64_t NextFontsGeneration() {
  static std::atomic<uint64_t> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}

// 60000 -> "60,000".
std::wstring Grouped(long long n) {
  std::wstring digits = std::to_wstring(n < 0 ? -n : n);
  for (size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, L",");
  return (n < 0 ? L"-" : L"") + digits;
}

}  // namespace

CPublicationDoc::CPublicationDoc() : m_nFontsGeneration(NextFontsGeneration()) {}

std::wstring ComposeDroppedItemsMessage(const std::vector<DroppedItem>& items, size_t maxLines) {
  std::wstring text;
  size_t shown = 0;
  for (const DroppedItem& item : items) {
    if (shown == maxLines) break;
    if (!text.empty()) text += L"\n";
    text += L"Page " + std::to_wstring(item.page) + L": ";
    switch (item.kind) {
      case DroppedItem::kImageTooLarge:
        text += L"an image of " + Grouped(item.width) + L" x " + Grouped(item.height) + L" pixels was left out";
        break;
      case DroppedItem::kPageSimplified:
        text += L"the page holds more than a page can show and was simplified";
        break;
      case DroppedItem::kPictureUnreadable:
        text += L"a picture that cannot be read was left out";
        break;
      case DroppedItem::kFontUnreadable:
        text += L"a font that cannot be read was left out";
        break;
      case DroppedItem::kPartUnreadable:
        text += L"part of the page cannot be read and was left out";
        break;
      case DroppedItem::kPageUnreadable:
        text += L"the page cannot be read and is shown empty";
        break;
    }
    ++shown;
  }
  if (items.size() > shown) text += L"\n(and " + std::to_wstring(items.size() - shown) + L" more)";
  return text;
}

void CPublicationDoc::AddDroppedItem(const DroppedItem& item) {
  std::lock_guard<std::mutex> guard(m_droppedLock);
  for (const DroppedItem& known : m_dropped)
    if (known == item) return;
  if (m_dropped.size() < 1000) m_dropped.push_back(item);
}

std::vector<DroppedItem> CPublicationDoc::TakeDroppedItems() {
  std::lock_guard<std::mutex> guard(m_droppedLock);
  return std::exchange(m_dropped, {});
}

CPublicationDoc::~CPublicationDoc() {
  auto lock = LockContent();
  // The pages' glyphs come from the cache and their fonts from the manager: the pages go
  // first, then the glyph cache and the fonts together (the cache's faces read the fonts' bytes).
  m_arrPages.RemoveAllPages();
  std::lock_guard<std::recursive_mutex> cacheLock(m_glyphCache.GetLock());
  m_glyphCache.Reset();
  m_fontManager.ClearAll();
}

void CPublicationDoc::DeleteContents() {
  auto lock = LockContent();
  CWorkspaceDoc::DeleteContents();
  // Under the cache's lock no glyph is made while the fonts go: a render worker still drawing an
  // old page finds neither the old glyph maps nor the old fonts afterwards.
  std::lock_guard<std::recursive_mutex> cacheLock(m_glyphCache.GetLock());
  m_glyphCache.Reset();
  m_fontManager.ClearAll();
  m_nFontsGeneration = NextFontsGeneration();
  std::lock_guard<std::mutex> droppedLock(m_droppedLock);
  m_dropped.clear();
}

Vectorloom::CQorVectorSize<float> CPublicationDoc::GetDocLogSize(int unit) const {
  int dpiX = 0, dpiY = 0;
  if (unit == Vectorloom::UNIT_PIXEL || m_nLogUnit == Vectorloom::UNIT_PIXEL) GetScreenDpi(dpiX, dpiY);
  return ConvertLogSize(m_fLogWidth, m_fLogHeight, m_nLogUnit, unit, dpiX, dpiY);
}

bool CPublicationDoc::IsAllContentLoaded() const {
  auto lock = LockContent();
  for (Vectorloom::CRenderPage* p : m_arrPages)
    if (p && static_cast<CDrawingPage*>(p)->GetPageContentSource()) return false;
  return true;
}

void CPublicationDoc::ClearSouceContent() {
  auto lock = LockContent();
  for (Vectorloom::CRenderPage* p : m_arrPages) {
    auto* page = static_cast<CDrawingPage*>(p);
    if (!page || !page->GetPageContentSource()) continue;
    page->SetPageSourceContent(nullptr);
    page->SetPageSourceIndex(-1);
  }
}

}  // namespace Quirebook
