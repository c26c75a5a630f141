// Small stateless helpers shared by the libraries: files, hot-key values, region tests, bit
// masks and child windows. Everything is inline.
#pragma once

#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <gdi/wingdi.h>
#include <mfc/afx.h>
#include <mfc/winuser.h>
#include <win32/lwstr.h>
#include <win32/winfile.h>

namespace Quirebook {

class CFileUtility {
 public:
  // 0 for a null path or a file that cannot be opened for reading; sizes past 4 GiB give
  // 0xFFFFFFFF rather than a wrapped value.
  static unsigned GetFileLength(const wchar_t* path) {
    if (!path) return 0;
    CFile f;
    if (!f.Open(path, CFile::modeRead | CFile::shareDenyNone)) return 0;
    const ULONGLONG n = f.GetLength();
    return n > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<unsigned>(n);
  }

  // The folder of the running program, without a trailing separator.
  static CString GetAppPathName() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return CString();
    CString s(path);
    const int cut = s.ReverseFind(L'/');
    return cut < 0 ? s : s.Left(cut);
  }

  // "%u Bytes" up to 1024, "%.2f K" up to 1 MiB, else "%.2f M".
  static CString DepictsFileLength(unsigned n) {
    CString s;
    if (n <= 1024u)
      s.Format(L"%u Bytes", n);
    else if (n <= 1048576u)
      s.Format(L"%.2f K", n / 1024.0);
    else
      s.Format(L"%.2f M", n / 1048576.0);
    return s;
  }

  // A new, empty file in the temporary folder whose name ends in the extension ("" for none;
  // a leading "." is optional). The file is created here, so the name is reserved for the
  // caller, who writes it and removes it; "" when no file could be made.
  static CString GenerateTempFilePathName(const CString& extension) {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH, folder);
    std::string path = (n == 0 || n >= MAX_PATH) ? std::string("./") : lw::WideToUtf8(folder);
    if (path.empty() || path.back() != '/') path += '/';
    path += "lw";
    path += "XXXXXX";
    std::string suffix;
    if (!extension.IsEmpty()) {
      if (extension.GetString()[0] != L'.') suffix = ".";
      suffix += lw::WideToUtf8(extension.GetString());
    }
    path += suffix;
    if (suffix.size() > static_cast<size_t>(INT_MAX)) return CString();
    const int fd = mkstemps(path.data(), static_cast<int>(suffix.size()));
    if (fd < 0) return CString();
    close(fd);
    return CString(lw::Utf8ToWide(path).c_str());
  }

  // The first "<folder>/temp<n>.<extension>" (n = 0, 1, 2, ...) that names no existing file.
  static CString GenerateNonentityTempFileName(const CString& folder, const CString& extension) {
    for (unsigned i = 0;; ++i) {
      CString name;
      name.Format(L"temp%u.", i);
      CString path = folder;
      if (path.IsEmpty() || path.GetString()[path.GetLength() - 1] != L'/') path += L"/";
      path += name;
      path += extension;
      CFileFind find;
      if (!find.FindFile(path)) return path;
    }
  }
};

// A hot key: Ctrl, Shift and Alt flags and the virtual-key code, one byte each.
class CHotKeys {
 public:
  BYTE m_bCtrl = 0;
  BYTE m_bShift = 0;
  BYTE m_bAlt = 0;
  BYTE m_bKey = 0;

  // System-wide hot keys have no counterpart under the desktop toolkit: always 0 (failure).
  int RegisterHotKey(HWND, int) const { return 0; }
  bool IsValidHotKey() const { return m_bKey != 0; }
  void Reset() { m_bCtrl = m_bShift = m_bAlt = m_bKey = 0; }
  // Alt with the key, without Ctrl or Shift.
  int IsSpecifiedHotKey(BYTE key) const { return (!m_bCtrl && !m_bShift && m_bAlt && m_bKey == key) ? 1 : 0; }
  bool operator==(const CHotKeys& o) const {
    return m_bCtrl == o.m_bCtrl && m_bShift == o.m_bShift && m_bAlt == o.m_bAlt && m_bKey == o.m_bKey;
  }
  bool operator!=(const CHotKeys& o) const { return !(*this == o); }
};

class CRegionUtility {
 public:
  // 1 when every pixel of the rectangle (right and bottom edges excluded) lies in the region; an
  // empty rectangle gives 1. A rectangle reaching past the region's bounding box fails at once.
  static int IsRectInRegion(HRGN region, const RECT& rc) {
    if (rc.right <= rc.left || rc.bottom <= rc.top) return 1;
    RECT box = {};
    if (GetRgnBox(region, &box) == 0 /* ERROR */) return 0;
    if (rc.left < box.left || rc.top < box.top || rc.right > box.right || rc.bottom > box.bottom) return 0;
    for (LONG y = rc.top; y < rc.bottom; ++y)
      for (LONG x = rc.left; x < rc.right; ++x)
        if (!PtInRegion(region, x, y)) return 0;
    return 1;
  }
};

class CVarConvUtility {
 public:
  static uint16_t Swap(uint16_t v) { return static_cast<uint16_t>((v >> 8) | (v << 8)); }
  static uint32_t Swap(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
  }
  // shift = the lowest set bit of the mask, bits = the length of the run of set bits from there.
  // A mask of 0 gives 0 and 0.
  static void CalcuMaskShift(uint32_t mask, int& shift, int& bits) {
    shift = 0;
    bits = 0;
    if (mask == 0) return;
    while (!(mask & 1u)) {
      mask >>= 1;
      ++shift;
    }
    while (mask & 1u) {
      mask >>= 1;
      ++bits;
    }
  }
};

class CControlsUtility {
 public:
  // Enables or disables every direct child window of parent, in creation order.
  static void EnableAllSubControls(HWND parent, BOOL enable) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
      ::EnableWindow(child, enable);
  }
};

}  // namespace Quirebook

using Quirebook::CControlsUtility;
using Quirebook::CFileUtility;
using Quirebook::CHotKeys;
using Quirebook::CRegionUtility;
using Quirebook::CVarConvUtility;
