// The video section reader over arbitrary bytes: a section header at 0, then whatever follows.
// Every entry that reads is unpacked into a scratch folder, which is emptied after each input.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <lwstr.h>
#include <quirebook/VideoStore.h>

namespace {

const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path dir = [] {
    auto p = std::filesystem::temp_directory_path() / ("lw_video_fuzz_" + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    return p;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  bytes.push_back(0);  // a non-empty buffer even for an empty file
  CMemFile f(bytes.data(), static_cast<UINT>(size));
  CDeflateRomExtractVideos reader;
  if (reader.ReadBlocksTag(&f) && reader.ReadIndexs(&f)) {
    const std::wstring target = lw::Utf8ToWide((ScratchFolder() / "clip.bin").string());
    for (unsigned i = 0; i < reader.GetCount() && i < 16; ++i) {
      const auto& e = reader.GetEntry(i);
      reader.FindEntry(e.sourcePath);
      CDeflateRomExtractVideos::SafeStoredName(e.storedName);
      // Unpacking writes to disk, at most what the entry records: entries that record up to
      // 16 MiB are unpacked, whatever their stream claims.
      if (CDeflateRomExtractVideos::UnpackLimit(e) <= (1u << 24)) reader.UnpackEntry(&f, e, target);
    }
    std::error_code ec;
    std::filesystem::remove(ScratchFolder() / "clip.bin", ec);
  }
  return 0;
}
