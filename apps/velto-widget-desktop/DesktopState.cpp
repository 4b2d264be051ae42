// DesktopState: the placed widgets as a GLib key file, read with bounds and replaced atomically.
#include "DesktopState.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "FileDescriptor.h"

namespace velto::desktop {
namespace {

constexpr std::size_t maximumValueBytes = 256;
/// Farther than any monitor reaches: a larger offset is a damaged or hostile file.
constexpr int farthestOffset = 100000;

/// Frees what GLib allocated with the function GLib gives for it.
template <auto release>
struct Releaser {
  template <typename Owned>
  void operator()(Owned* owned) const {
    release(owned);
  }
};
using KeyFile = std::unique_ptr<GKeyFile, Releaser<g_key_file_free>>;
using Error = std::unique_ptr<GError, Releaser<g_error_free>>;
using GlibText = std::unique_ptr<char, Releaser<g_free>>;
using GlibStrings = std::unique_ptr<gchar*, Releaser<g_strfreev>>;

bool hasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
  });
}

/// The string value of `key` in `group`: nothing when the key is absent; a refusal when it is present but not
/// a clean line of text of at most `maximumValueBytes`.
std::optional<std::string> stringValue(GKeyFile* file, const char* group, const char* key, std::string& problem) {
  if (!g_key_file_has_key(file, group, key, nullptr)) return std::nullopt;
  GError* raw = nullptr;
  const GlibText value(g_key_file_get_string(file, group, key, &raw));
  const Error error(raw);
  if (!value) {
    problem = std::string(group) + ": " + key + ": " + (error ? error->message : "unreadable");
    return std::nullopt;
  }
  const std::string_view text(value.get());
  if (text.size() > maximumValueBytes) {
    problem = std::string(group) + ": " + key + ": longer than " + std::to_string(maximumValueBytes) + " bytes";
  } else if (hasControlCharacter(text)) {
    problem = std::string(group) + ": " + key + ": holds a control character";
  }
  return std::string(text);
}

std::optional<int> offsetValue(GKeyFile* file, const char* group, const char* key, std::string& problem) {
  const auto text = stringValue(file, group, key, problem);
  if (!text || !problem.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text->c_str(), &end, 10);
  if (text->empty() || *end != '\0' || errno != 0 || value < -farthestOffset || value > farthestOffset) {
    problem = std::string(group) + ": " + key + ": not a whole number from " + std::to_string(-farthestOffset) +
              " to " + std::to_string(farthestOffset);
    return std::nullopt;
  }
  return static_cast<int>(value);
}

/// One group read as a widget; `problem` says why not.
PlacedWidget widgetFrom(GKeyFile* file, const char* group, std::string& problem) {
  PlacedWidget widget;
  const auto family = stringValue(file, group, "Family", problem);
  if (!problem.empty()) return widget;
  const auto named = familyNamed(family.value_or(""));
  if (!named) {
    problem = std::string(group) + ": Family: must be small or medium";
    return widget;
  }
  widget.family = *named;
  widget.agent = stringValue(file, group, "Agent", problem);
  if (!problem.empty()) return widget;
  const auto x = offsetValue(file, group, "X", problem);
  const auto y = offsetValue(file, group, "Y", problem);
  if (!problem.empty()) return widget;
  if (x.has_value() != y.has_value()) {
    problem = std::string(group) + ": X and Y come together";
  } else if (x) {
    widget.position = WidgetPosition{*x, *y};
  }
  return widget;
}

std::string describeErrno(int error) { return std::strerror(error); }

}  // namespace

std::string_view familyName(UsageWidgetFamily family) {
  return family == UsageWidgetFamily::small ? "small" : "medium";
}

std::optional<UsageWidgetFamily> familyNamed(std::string_view name) {
  if (name == "small") return UsageWidgetFamily::small;
  if (name == "medium") return UsageWidgetFamily::medium;
  return std::nullopt;
}

DesktopState DesktopState::firstStart() { return {{PlacedWidget{}}}; }

std::string formatDesktopState(const DesktopState& state) {
  const KeyFile file(g_key_file_new());
  g_key_file_set_comment(file.get(), nullptr, nullptr,
                         " velto-widget-desktop: the widgets on the desktop, rewritten whenever one changes", nullptr);
  for (std::size_t index = 0; index < state.widgets.size(); ++index) {
    const PlacedWidget& widget = state.widgets[index];
    const std::string group = "Widget " + std::to_string(index + 1);
    g_key_file_set_string(file.get(), group.c_str(), "Family", std::string(familyName(widget.family)).c_str());
    if (widget.agent) g_key_file_set_string(file.get(), group.c_str(), "Agent", widget.agent->c_str());
    if (widget.position) {
      g_key_file_set_integer(file.get(), group.c_str(), "X", widget.position->x);
      g_key_file_set_integer(file.get(), group.c_str(), "Y", widget.position->y);
    }
  }
  gsize length = 0;
  const GlibText text(g_key_file_to_data(file.get(), &length, nullptr));
  return std::string(text.get(), length);
}

StateReading parseDesktopState(std::string_view text) {
  const KeyFile file(g_key_file_new());
  GError* raw = nullptr;
  if (!g_key_file_load_from_data(file.get(), text.data(), text.size(), G_KEY_FILE_NONE, &raw)) {
    const Error error(raw);
    return {std::nullopt, std::string("not a key file: ") + error->message};
  }
  gsize count = 0;
  const GlibStrings groups(g_key_file_get_groups(file.get(), &count));
  if (count > DesktopState::maximumWidgets) {
    return {std::nullopt, "more than " + std::to_string(DesktopState::maximumWidgets) + " widgets"};
  }
  DesktopState state;
  for (gsize index = 0; index < count; ++index) {
    std::string problem;
    PlacedWidget widget = widgetFrom(file.get(), groups.get()[index], problem);
    if (!problem.empty()) return {std::nullopt, problem};
    state.widgets.push_back(std::move(widget));
  }
  return {std::move(state), {}};
}

DesktopStateFile::DesktopStateFile(std::filesystem::path file) : file_(std::move(file)) {}

DesktopStateFile DesktopStateFile::userFile() {
  return DesktopStateFile(std::filesystem::path(g_get_user_config_dir()) / "velto-widget" / "desktop-widgets.ini");
}

DesktopStateFile::Loaded DesktopStateFile::load() const {
  const auto refuse = [this](const std::string& reason) {
    std::filesystem::path aside = file_;
    aside += ".refused";
    std::error_code ignored;
    std::filesystem::rename(file_, aside, ignored);
    return Loaded{DesktopState::firstStart(), file_.string() + ": " + reason + " (kept as " + aside.string() + ")"};
  };
  // Never follows a link and never waits on a FIFO: the file is the host's own, but not trusted.
  const platform::FileDescriptor fd(::open(file_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!fd) {
    if (errno == ENOENT) return {DesktopState::firstStart(), {}};
    return refuse(errno == ELOOP ? "a symbolic link" : describeErrno(errno));
  }
  struct stat status {};
  if (::fstat(fd.get(), &status) != 0) return refuse(describeErrno(errno));
  if (!S_ISREG(status.st_mode)) return refuse("not a regular file");
  std::string bytes(DesktopState::maximumBytes + 1, '\0');
  std::size_t size = 0;
  while (size < bytes.size()) {
    const ssize_t count = ::read(fd.get(), bytes.data() + size, bytes.size() - size);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return refuse(describeErrno(errno));
    if (count == 0) break;
    size += static_cast<std::size_t>(count);
  }
  if (size > DesktopState::maximumBytes) {
    return refuse("longer than " + std::to_string(DesktopState::maximumBytes) + " bytes");
  }
  bytes.resize(size);
  StateReading reading = parseDesktopState(bytes);
  if (!reading.state) return refuse(reading.problem);
  return {std::move(*reading.state), {}};
}

void DesktopStateFile::save(const DesktopState& state) const {
  const std::string folder = file_.parent_path().string();
  if (g_mkdir_with_parents(folder.c_str(), 0700) != 0) {
    throw std::runtime_error(folder + ": " + describeErrno(errno));
  }
  const std::string text = formatDesktopState(state);
  GError* raw = nullptr;
  // CONSISTENT: a new file written, flushed and renamed over the old one, so a crash leaves one or the other.
  if (!g_file_set_contents_full(file_.c_str(), text.data(), static_cast<gssize>(text.size()),
                                G_FILE_SET_CONTENTS_CONSISTENT, 0600, &raw)) {
    const Error error(raw);
    throw std::runtime_error(error->message);
  }
}

}  // namespace velto::desktop
