// The stamp artwork compiled into the program: serialized object streams ("obj#2009") made at
// build time by make_stamps from stamps.txt, one per (resource type, id).
#pragma once

#include <cstddef>

struct LwStampArtwork {
  const wchar_t* type;  // "STAMP", "STANDARDBUSINESS" or "DYNAMIC"
  int id;
  const unsigned char* data;
  size_t size;
};

// Every stamp, in the order of stamps.txt.
const LwStampArtwork* LwGetStampArtwork(size_t* pnCount);
