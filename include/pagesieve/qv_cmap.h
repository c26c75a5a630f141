// qv_cmap_s: the PDF engine's character map record, exchanged in memory between the engine and
// its callers.
//
// Ownership: records handed to the engine, their range and value tables and the records of their
// use chain are allocated with malloc; the engine releases them with free. Records the engine
// hands out belong to the engine; callers only read them.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define QV_CMAP_NAME_SIZE 32
#define QV_CMAP_MAX_CODESPACE 40

// One code-space entry: codes of n bytes (1 to 4) from low to high, both included.
typedef struct qv_cmap_codespace_s {
  uint16_t n;
  uint16_t low;
  uint16_t high;
} qv_cmap_codespace_s;

// One range entry: codes low .. low + extent, where extent_flags = (extent << 2) | kind;
// kind 0 single code, 1 range, 2 table lookup, 3 multiple values. offset is the first value,
// or an index into the value table for kinds 2 and 3.
typedef struct qv_cmap_range_s {
  uint16_t low;
  uint16_t extent_flags;
  uint16_t offset;
} qv_cmap_range_s;

typedef struct qv_cmap_s {
  char cmap_name[QV_CMAP_NAME_SIZE];
  char usecmap_name[QV_CMAP_NAME_SIZE];
  struct qv_cmap_s* usecmap;  // the used character map, or null
  int32_t wmode;
  int32_t codespace_len;
  qv_cmap_codespace_s codespace[QV_CMAP_MAX_CODESPACE];
  int32_t rlen;
  qv_cmap_range_s* ranges;  // rlen entries, or null
  int32_t tlen;
  uint16_t* table;  // tlen values, or null
} qv_cmap_s;

#ifdef __cplusplus
}
#endif
