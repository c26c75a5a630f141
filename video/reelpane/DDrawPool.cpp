// The DirectDraw object pool (DDrawPool.h).
#include "DDrawPool.h"

#include <atomic>
#include <cstdio>
#include <new>

namespace reelpane {

const char kPrimaryDeviceKey[] = "000000000-0000-0000-0000-000000000000";

namespace {

std::atomic<bool> g_failInsert{false};

bool AllZero(const GUID* guid) {
  if (!guid) return true;
  static const GUID zero{};
  return *guid == zero;
}

std::string KeyOf(const GUID* guid) { return AllZero(guid) ? std::string(kPrimaryDeviceKey) : FormatDeviceGuid(guid); }

}  // namespace

std::string FormatDeviceGuid(const GUID* guid) {
  const GUID g = guid ? *guid : GUID{};
  char text[40];
  snprintf(text, sizeof text, "{%08X-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned>(g.Data1),
           g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
           g.Data4[7]);
  return text;
}

DDrawPool* GetDirectDrawPool() {
  static DDrawPool* pool = new DDrawPool();  // cleared at unload; the memory stays for late callers
  return pool;
}

IDirectDraw7* TakeDirectDraw(std::list<IDirectDraw7*>& list, const GUID* guid) {
  if (!list.empty()) {
    IDirectDraw7* object = list.front();
    list.pop_front();
    return object;
  }
  void* object = nullptr;
  GUID copy = guid ? *guid : GUID{};
  if (DirectDrawCreateEx(AllZero(guid) ? nullptr : &copy, &object, IID_IDirectDraw7, nullptr) != DD_OK) {
    if (object) static_cast<IDirectDraw7*>(object)->Release();
    return nullptr;
  }
  return static_cast<IDirectDraw7*>(object);
}

IDirectDraw7* getDevice(DDrawPool* pool, const GUID* guid) {
  if (!pool) return nullptr;
  const std::string key = KeyOf(guid);
  std::lock_guard<std::mutex> hold(pool->lock);
  auto it = pool->devices.find(key);
  if (it == pool->devices.end()) {
    if (g_failInsert.exchange(false)) throw std::bad_alloc();
    it = pool->devices.emplace(key, std::list<IDirectDraw7*>()).first;
  }
  return TakeDirectDraw(it->second, guid);
}

void ReturnDirectDraw(IDirectDraw7* object, DDrawPool* pool, const GUID* guid) {
  if (!object || !pool) return;
  const std::string key = KeyOf(guid);
  {
    std::lock_guard<std::mutex> hold(pool->lock);
    auto it = pool->devices.find(key);
    if (it != pool->devices.end()) {
      it->second.push_back(object);
      return;
    }
  }
  object->Release();
}

void ClearDirectDrawPool(DDrawPool* pool) {
  if (!pool) return;
  std::lock_guard<std::mutex> hold(pool->lock);
  for (auto& [key, list] : pool->devices)
    for (IDirectDraw7* object : list) object->Release();
  pool->devices.clear();
}

void FailNextPoolInsertForTesting() { g_failInsert = true; }

}  // namespace reelpane
