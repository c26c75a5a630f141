// The process-wide resource table: resources registered by (type, name) at static
// initialisation and found again by the Win32 resource calls.
#include <algorithm>
#include <deque>
#include <mutex>
#include <string>

#include "windows.h"
#include "lwstr.h"
#include "winres.h"

namespace {

// A type or a name: a number, or a string kept in lower case (compared without case).
struct ResKey {
  bool bNumber = true;
  WORD nId = 0;
  std::wstring strName;

  static ResKey From(LPCWSTR p) {
    ResKey k;
    if (IS_INTRESOURCE(p)) {
      k.nId = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(p));
      return k;
    }
    k.bNumber = false;
    for (const wchar_t* s = p; *s; ++s) k.strName += lw::ToLowerChar(*s);
    return k;
  }
  bool operator==(const ResKey& o) const {
    return bNumber == o.bNumber && (bNumber ? nId == o.nId : strName == o.strName);
  }
};

struct ResEntry {
  ResKey type, name;
  const void* pData;
  DWORD cbSize;
};

struct ResTable {
  std::mutex mutex;
  std::deque<ResEntry> entries;  // never shrinks: an HRSRC points into it

  const ResEntry* Find(const ResKey& type, const ResKey& name, bool* pTypeSeen) {
    for (const ResEntry& e : entries) {
      if (!(e.type == type)) continue;
      if (pTypeSeen) *pTypeSeen = true;
      if (e.name == name) return &e;
    }
    return nullptr;
  }
};

ResTable& Table() {
  // Never destroyed: resources are looked up until the very end of the process.
  static ResTable* table = new ResTable;
  return *table;
}

}  // namespace

namespace lw {

bool RegisterResource(LPCWSTR lpType, LPCWSTR lpName, const void* pData, DWORD cbSize) {
  if (!lpType || !lpName || (!pData && cbSize)) return false;
  const ResKey type = ResKey::From(lpType), name = ResKey::From(lpName);
  ResTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  if (t.Find(type, name, nullptr)) return false;
  t.entries.push_back({type, name, pData, cbSize});
  return true;
}

bool RegisterString(UINT uID, const wchar_t* lpszText) {
  if (!lpszText || uID > 0xFFFF) return false;
  return RegisterResource(RT_STRING, MAKEINTRESOURCEW(uID), lpszText,
                          static_cast<DWORD>(std::char_traits<wchar_t>::length(lpszText) * sizeof(wchar_t)));
}

int RegisterStringTable(const StringTableEntry* pEntries, int nCount) {
  int n = 0;
  for (int i = 0; pEntries && i < nCount; ++i)
    if (RegisterString(pEntries[i].uID, pEntries[i].lpszText)) ++n;
  return n;
}

}  // namespace lw

HRSRC FindResourceW(HMODULE, LPCWSTR lpName, LPCWSTR lpType) {
  if (!lpName || !lpType) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  ResTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  bool bTypeSeen = false;
  const ResEntry* e = t.Find(ResKey::From(lpType), ResKey::From(lpName), &bTypeSeen);
  if (!e) {
    SetLastError(bTypeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HRSRC>(const_cast<ResEntry*>(e));
}

HGLOBAL LoadResource(HMODULE, HRSRC hResInfo) {
  if (!hResInfo) return nullptr;
  return const_cast<void*>(reinterpret_cast<const ResEntry*>(hResInfo)->pData);
}

LPVOID LockResource(HGLOBAL hResData) { return hResData; }

DWORD SizeofResource(HMODULE, HRSRC hResInfo) {
  return hResInfo ? reinterpret_cast<const ResEntry*>(hResInfo)->cbSize : 0;
}

int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || uID > 0xFFFF) return 0;
  HRSRC h = FindResourceW(hInstance, MAKEINTRESOURCEW(uID), RT_STRING);
  const wchar_t* text = h ? static_cast<const wchar_t*>(LoadResource(hInstance, h)) : nullptr;
  const int len = h ? static_cast<int>(SizeofResource(hInstance, h) / sizeof(wchar_t)) : 0;
  if (cchBufferMax == 0) {
    *reinterpret_cast<const wchar_t**>(lpBuffer) = text;
    return text ? len : 0;
  }
  if (cchBufferMax < 0) return 0;
  const int n = std::min(len, cchBufferMax - 1);
  for (int i = 0; i < n; ++i) lpBuffer[i] = text[i];
  lpBuffer[n] = 0;
  return n;
}
