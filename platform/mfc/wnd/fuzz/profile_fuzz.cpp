// The profile file parser on arbitrary bytes: parsing, writing back and parsing again agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "profile_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > lwprofile::kMaxProfileBytes) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const lwprofile::ProfileFile first = lwprofile::ProfileFile::Parse(text);
  const std::string written = first.Serialize();
  const lwprofile::ProfileFile second = lwprofile::ProfileFile::Parse(written);
  // Every entry that was read survives a round trip.
  for (const auto& section : first.Sections())
    for (const auto& entry : section.entries) {
      const std::wstring* value = second.Find(section.name, entry.first);
      if (!value) std::abort();
    }
  return 0;
}
