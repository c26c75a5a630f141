// The one FreeType library of the GDI layer, and the lock that guards it.
//
// Locking rule: FreeType objects are not thread-safe. Every call that touches this library or a
// face opened on it (FT_New_Face, FT_New_Memory_Face, FT_Done_Face, FT_Set_Char_Size,
// FT_Load_Glyph, FT_Get_Char_Index, outline calls on a face's glyph slot ...) is made while
// holding LwFreeType::Mutex(), e.g. with `LwFreeTypeLock lock;`. The lock is recursive, so a
// caller holding it may call back into the GDI layer's font functions. Faces opened by callers
// belong to them and are closed by them, under the lock. The library lives until the process
// ends.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <mutex>

class LwFreeType {
 public:
  // The library, started at first use; null when FreeType cannot start.
  static FT_Library Acquire();
  static std::recursive_mutex& Mutex();
};

class LwFreeTypeLock {
 public:
  LwFreeTypeLock() : lock_(LwFreeType::Mutex()) {}

 private:
  std::lock_guard<std::recursive_mutex> lock_;
};
