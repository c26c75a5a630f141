// Typed font sizes and gallery shapes of any content: sizes read from typed text stay in range
// or are refused, and layout, hit tests and arrow keys stay inside the collection whatever the
// item sizes and the gallery width.
#include <QorpGallery.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The bytes as typed text (one character per byte pair).
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  const int twips = CQORPControlSizeComboBox::GetTwipSize(text.c_str());
  if (twips != -1 && (twips < 20 || twips > 1638 * 20)) std::abort();

  // The bytes as a gallery: width, then items of (cx, cy, label flag).
  if (size < 2) return 0;
  const int cxGallery = static_cast<int8_t>(data[0]) * 4;
  CQORPControlGalleryItems items;
  items.SetItemSize(CSize(static_cast<int8_t>(data[1]), static_cast<int8_t>(data[1])));
  for (size_t i = 2; i + 2 < size && items.GetItemCount() < 400; i += 3) {
    CQORPControlGalleryItem* p = (data[i + 2] & 1) ? items.AddLabel(L"L") : items.AddItem(L"I");
    p->SetSize(CSize(static_cast<int8_t>(data[i]), static_cast<int8_t>(data[i + 1])));
    p->SetEnabled((data[i + 2] & 2) == 0);
  }
  const QORPGalleryLayout layout = QORPGalleryLayout::Compute(&items, cxGallery);
  if (layout.rcItems.size() != static_cast<size_t>(items.GetItemCount()) || layout.cyContent < 0) std::abort();
  const UINT keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END};
  int n = -1;
  for (size_t i = 0; i < size && i < 64; ++i) {
    n = layout.Move(&items, n, keys[data[i] % 6]);
    if (n < -1 || n >= items.GetItemCount()) std::abort();
    const int hit = layout.HitTest(CPoint(static_cast<int8_t>(data[i]) * 3, static_cast<int8_t>(data[size - 1 - i]) * 3));
    if (hit < -1 || hit >= items.GetItemCount()) std::abort();
  }
  CQORPControlGallery gallery(1);
  gallery.SetItems(&items);
  gallery.SetSelectedItem(static_cast<int8_t>(data[0]));
  if (gallery.GetSelectedItem() >= items.GetItemCount()) std::abort();

  // The bytes as an icon size for the colour bar.
  const int cx = data[0] % 64, cy = data[1] % 64;
  std::vector<uint32_t> icon(static_cast<size_t>(cx * cy), 0u);
  QORPPaintColorBar(icon, cx, cy, RGB(data[0], data[1], 0));
  return 0;
}
