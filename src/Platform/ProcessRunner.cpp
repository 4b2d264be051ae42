// ProcessRunner: posix_spawn, a process descriptor, and one poll over the child, its two pipes and the caller's
// descriptor, with the time limit as the poll's timeout.
#include "ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

// The header of glibc 2.36 (Debian 12) leaves out the C linkage that C++ needs.
extern "C" {
#include <sys/pidfd.h>
}

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "FileDescriptor.h"

namespace velto::platform {
namespace {

using Clock = std::chrono::steady_clock;
using Ending = ProcessResult::Ending;

[[noreturn]] void fail(int error, const char* what) { throw std::system_error(error, std::generic_category(), what); }

// posix_spawn's helpers return the error number instead of setting errno.
void check(int error, const char* what) {
  if (error != 0) fail(error, what);
}

// A descriptor of ours at 0, 1 or 2 (when this program was started with a standard stream closed) would be
// overwritten while the child's standard streams are set up, so it moves above them.
FileDescriptor aboveStandardStreams(FileDescriptor fd) {
  if (fd.get() > STDERR_FILENO) return fd;
  const int moved = ::fcntl(fd.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  if (moved < 0) fail(errno, "fcntl");
  return FileDescriptor(moved);
}

struct Pipe {
  FileDescriptor read;
  FileDescriptor write;
};

// Close-on-exec at both ends, so that no other child inherits them. Only our reading end is non-blocking: the
// flag belongs to the open file, and the writing end's is shared with the child.
Pipe makePipe() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) fail(errno, "pipe2");
  Pipe pipe{FileDescriptor(ends[0]), FileDescriptor(ends[1])};
  pipe.read = aboveStandardStreams(std::move(pipe.read));
  pipe.write = aboveStandardStreams(std::move(pipe.write));
  if (::fcntl(pipe.read.get(), F_SETFL, O_NONBLOCK) != 0) fail(errno, "fcntl");
  return pipe;
}

struct SpawnActions {
  posix_spawn_file_actions_t value;
  SpawnActions() { check(::posix_spawn_file_actions_init(&value), "posix_spawn_file_actions_init"); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  ~SpawnActions() { ::posix_spawn_file_actions_destroy(&value); }
};

struct SpawnAttributes {
  posix_spawnattr_t value;
  SpawnAttributes() { check(::posix_spawnattr_init(&value), "posix_spawnattr_init"); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  ~SpawnAttributes() { ::posix_spawnattr_destroy(&value); }
};

// Starts the program with the given standard output and error; the error number when it cannot be started
// (glibc reports a failed exec here too, and reaps that child itself).
int spawn(const std::vector<std::string>& arguments, int output, int errors, pid_t& pid) {
  SpawnActions actions;
  check(::posix_spawn_file_actions_adddup2(&actions.value, output, STDOUT_FILENO), "posix_spawn");
  check(::posix_spawn_file_actions_adddup2(&actions.value, errors, STDERR_FILENO), "posix_spawn");
  check(::posix_spawn_file_actions_addopen(&actions.value, STDIN_FILENO, "/dev/null", O_RDONLY, 0), "posix_spawn");
  // Also descriptors this program inherited without close-on-exec: the child gets its three streams alone.
  check(::posix_spawn_file_actions_addclosefrom_np(&actions.value, STDERR_FILENO + 1), "posix_spawn");

  // Our blocked signals (received through a descriptor) and ignored ones (SIGPIPE) are not the child's.
  SpawnAttributes attributes;
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  check(::posix_spawnattr_setsigmask(&attributes.value, &none), "posix_spawn");
  check(::posix_spawnattr_setsigdefault(&attributes.value, &all), "posix_spawn");
  check(::posix_spawnattr_setpgroup(&attributes.value, 0), "posix_spawn");
  check(::posix_spawnattr_setflags(&attributes.value,
                                   static_cast<short>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                                      POSIX_SPAWN_SETPGROUP)),
        "posix_spawn");

  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  return ::posix_spawnp(&pid, argv[0], &actions.value, &attributes.value, argv.data(), environ);
}

// The started process until it is reaped; killed and reaped on every way out, exceptions included.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid) {}
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (pid_ > 0) {
      signalGroup(SIGKILL);
      reap();
    }
  }

  // Its whole group, so that a shell's children go too. While the child is not reaped its number names the
  // group, so the signal cannot reach a stranger that reused it.
  void signalGroup(int signal) const { ::kill(-pid_, signal); }

  int reap() {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return status;
  }

 private:
  pid_t pid_;
};

// Cuts a stream into lines for the watcher; a line too long for one piece comes in several.
class LineRelay {
 public:
  explicit LineRelay(const std::function<void(std::string_view)>& sink) : sink_(sink) {}

  void add(std::string_view bytes) {
    pending_.append(bytes);
    std::size_t start = 0;
    for (auto end = pending_.find('\n'); end != std::string::npos; end = pending_.find('\n', start)) {
      emit(std::string_view(pending_).substr(start, end - start));
      start = end + 1;
    }
    pending_.erase(0, start);
    while (pending_.size() > maximumLineBytes) {
      emit(std::string_view(pending_).substr(0, maximumLineBytes));
      pending_.erase(0, maximumLineBytes);
    }
  }

  void finish() {
    if (!pending_.empty()) emit(pending_);
    pending_.clear();
  }

 private:
  void emit(std::string_view line) const {
    if (!sink_) return;
    while (line.size() > maximumLineBytes) {
      sink_(line.substr(0, maximumLineBytes));
      line.remove_prefix(maximumLineBytes);
    }
    sink_(line);
  }

  const std::function<void(std::string_view)>& sink_;
  std::string pending_;
};

enum class Read { some, none, ended };

// One read of what the pipe holds, handed to `take`, which says whether to go on reading. One read at a time,
// so that a process that writes without end cannot keep the run from seeing its deadline.
template <typename Take>
Read readOnce(const FileDescriptor& pipe, Take&& take) {
  std::array<char, 65536> buffer;
  for (;;) {
    const ssize_t count = ::read(pipe.get(), buffer.data(), buffer.size());
    if (count > 0) {
      return take(std::string_view(buffer.data(), static_cast<std::size_t>(count))) ? Read::some : Read::ended;
    }
    if (count == 0) return Read::ended;
    if (errno == EAGAIN) return Read::none;
    if (errno != EINTR) fail(errno, "read");
  }
}

// Reads the pipe while it holds something (at most `reads` times); closes it at its end.
template <typename Take>
void readWhileFull(FileDescriptor& pipe, int reads, Take&& take) {
  for (; pipe && reads > 0; --reads) {
    const Read read = readOnce(pipe, take);
    if (read == Read::ended) pipe = FileDescriptor();
    if (read != Read::some) return;
  }
}

int millisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
}

}  // namespace

ProcessResult runProcess(const ProcessRequest& request, const ProcessWatch& watch) {
  if (request.arguments.empty()) throw std::invalid_argument("runProcess: no program to run");
  Pipe errors = makePipe();
  Pipe output = request.relayOutput ? Pipe{} : makePipe();
  pid_t pid = -1;
  const int outputEnd = request.relayOutput ? errors.write.get() : output.write.get();
  if (const int error = spawn(request.arguments, outputEnd, errors.write.get(), pid)) {
    return {.ending = Ending::notStarted, .code = error};
  }
  Child child(pid);
  FileDescriptor process(::pidfd_open(pid, 0));
  if (!process) fail(errno, "pidfd_open");
  // Only the child holds the writing ends now, so each pipe ends when the child and what it started do.
  output.write = FileDescriptor();
  errors.write = FileDescriptor();

  ProcessResult result;
  LineRelay relay(watch.errorLine);
  std::optional<Ending> stopping;
  bool killed = false;
  auto deadline = Clock::now() + request.timeout;
  const auto stop = [&](Ending why) {
    if (stopping) return;
    stopping = why;
    child.signalGroup(SIGTERM);
    deadline = Clock::now() + request.killDelay;
  };
  // False once the output has passed its limit: what is kept stops at the limit, and the pipe is closed, so
  // that the process's next write fails.
  const auto keepOutput = [&](std::string_view piece) {
    // Room for the whole limit (up to a bound) with the first piece: pages never written cost nothing, and a
    // large output is then not copied again each time the text would grow.
    constexpr std::size_t largestRoom = std::size_t{16} << 20;
    if (result.output.empty()) result.output.reserve(std::min(request.outputLimit, largestRoom));
    const std::size_t room = request.outputLimit - result.output.size();
    result.output.append(piece.substr(0, room));
    if (piece.size() <= room) return true;
    stop(Ending::outputTooLarge);
    return false;
  };
  const auto relayErrors = [&](std::string_view piece) {
    relay.add(piece);
    return true;
  };
  const bool interruptible = watch.interruptDescriptor >= 0 && watch.interrupted;

  for (bool running = true; running;) {
    enum Source { processSource, outputSource, errorSource, interruptSource };
    std::array<pollfd, 4> descriptors{};
    std::array<Source, 4> sources{};
    nfds_t count = 0;
    const auto add = [&](int fd, Source source) {
      descriptors[count] = {fd, POLLIN, 0};
      sources[count++] = source;
    };
    add(process.get(), processSource);
    if (output.read) add(output.read.get(), outputSource);
    if (errors.read) add(errors.read.get(), errorSource);
    if (interruptible && !stopping) add(watch.interruptDescriptor, interruptSource);

    if (::poll(descriptors.data(), count, killed ? -1 : millisecondsUntil(deadline)) < 0) {
      if (errno == EINTR) continue;
      fail(errno, "poll");
    }
    for (nfds_t i = 0; i < count; ++i) {
      if (descriptors[i].revents == 0) continue;
      switch (sources[i]) {
        case processSource: running = false; break;
        case outputSource: readWhileFull(output.read, 1, keepOutput); break;
        case errorSource: readWhileFull(errors.read, 1, relayErrors); break;
        case interruptSource:
          if (watch.interrupted()) stop(Ending::interrupted);
          break;
      }
    }
    if (running && !killed && Clock::now() >= deadline) {
      if (!stopping) {
        stop(Ending::timedOut);
      } else {
        child.signalGroup(SIGKILL);
        killed = true;
      }
    }
  }

  // The process has ended. What it wrote is in the pipes; what it left running in its group goes now, so that
  // the reads below end. The bound only matters for a writer that left the group.
  child.signalGroup(SIGKILL);
  readWhileFull(output.read, 64, keepOutput);
  readWhileFull(errors.read, 64, relayErrors);
  relay.finish();
  const int status = child.reap();
  result.code = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  result.ending = stopping ? *stopping : WIFEXITED(status) ? Ending::exited : Ending::signalled;
  return result;
}

}  // namespace velto::platform
