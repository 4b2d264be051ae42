// fuzz_plist: any bytes as a bundle's Info.plist and entitlements. Every lookup through platform::Bundle must
// return without a crash or a leak. libplist itself is not instrumented, so its own memory errors show only
// when they crash or corrupt what our code then reads.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "Bundle.h"

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fault(const char* what) {
  std::fprintf(stderr, "fuzz_plist: %s\n", what);
  std::abort();
}

/// One private resource folder for the whole run, removed when the process ends normally.
class TemporaryBundle {
 public:
  TemporaryBundle() {
    std::string pattern = (fs::temp_directory_path() / "velto-fuzz-plist-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) fault("cannot create a temporary folder");
    folder_ = pattern;
  }
  TemporaryBundle(const TemporaryBundle&) = delete;
  TemporaryBundle& operator=(const TemporaryBundle&) = delete;
  ~TemporaryBundle() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  const fs::path& folder() const { return folder_; }

  void put(const char* name, std::string_view bytes) const {
    std::ofstream out(folder_ / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) fault("cannot write into the temporary folder");
  }

 private:
  fs::path folder_;
};

const TemporaryBundle& temporaryBundle() {
  static const TemporaryBundle bundle;
  return bundle;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const TemporaryBundle& files = temporaryBundle();
  files.put("Info.plist", bytes);
  files.put("velto-widget.entitlements", bytes);

  const velto::platform::Bundle bundle(files.folder());
  // Every lookup reads its file afresh, so each one here is a whole parse: the two keys the program asks
  // for, and a key that holds a NUL byte, which libplist's C strings could cut short into "Velto".
  static constexpr std::string_view keys[] = {"VeltoSigningTeam", "VeltoUsageGroup",
                                              std::string_view("Velto\0Team", 10)};
  for (const std::string_view key : keys) {
    const std::optional<std::string> value = bundle.infoString(key);
    if (value && key.find('\0') != std::string_view::npos) fault("a key with a NUL byte was found");
  }
  static_cast<void>(bundle.applicationGroups());
  return 0;
}
