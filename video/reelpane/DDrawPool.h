// The process-wide pool of idle DirectDraw objects: per display device (keyed by its GUID text)
// a first-in, first-out list. Each pointer in a list holds one reference, which the pool owns.
// Every function takes the pool's lock itself; renderers call them with their own lock held,
// never the other way round, and the pool never calls back into a renderer.
#pragma once

#include <list>
#include <map>
#include <mutex>
#include <string>

#include <ddraw.h>

namespace reelpane {

struct DDrawPool {
  std::mutex lock;
  std::map<std::string, std::list<IDirectDraw7*>> devices;
};

DDrawPool* GetDirectDrawPool();
// An object whose reference now belongs to the caller (the oldest idle one of the device, else a
// new one), or null. guid null: the primary display driver.
IDirectDraw7* getDevice(DDrawPool* pool, const GUID* guid);
// Hands an object back (null: nothing). A key the pool no longer has (after a clear) does not
// take it back: the object is released.
void ReturnDirectDraw(IDirectDraw7* object, DDrawPool* pool, const GUID* guid);
// Releases every pooled object of every device and forgets every key.
void ClearDirectDrawPool(DDrawPool* pool);
// Pops the list's oldest object, or creates one. Called with the pool's lock held.
IDirectDraw7* TakeDirectDraw(std::list<IDirectDraw7*>& list, const GUID* guid);
// "{XXXXXXXX-XXXX-xxxx-XXXX-XXXXXXXXXXXX}" (the third group in lower case); no GUID gives the
// all-zero text.
std::string FormatDeviceGuid(const GUID* guid);
// Key of the primary display driver.
extern const char kPrimaryDeviceKey[];

// Makes the next key insertion run out of memory (tests).
void FailNextPoolInsertForTesting();

}  // namespace reelpane
