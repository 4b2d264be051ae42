// Tests of pictures that cannot be finished: an output that cannot grow, and a process short of memory.
#include "PictureRenderer.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <new>
#include <string>
#include <vector>

namespace {

// Allocations through operator new larger than this fail, on the thread that set it: a seam that makes
// "memory ran out while the output grew" happen at a chosen size. Cairo, Pango and ICU allocate with malloc,
// so only our own containers meet it.
thread_local std::size_t largestAllocation = std::numeric_limits<std::size_t>::max();

}  // namespace

// Every unaligned form is replaced, so that none pairs with the runtime's own (the sanitizers keep theirs).
void* operator new(std::size_t size) {
  if (size > largestAllocation) throw std::bad_alloc();
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return size > largestAllocation ? nullptr : std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace velto::render {
namespace {

using namespace toolkit;

/// Many lines of text: an SVG document of them holds far more than 64 KiB of glyph outlines.
Element manyTexts() {
  std::vector<Element> lines;
  for (int i = 0; i < 60; ++i) lines.push_back(Text("Weekly quota " + std::to_string(i) + ": 42% used, resets Monday"));
  return VStack(HorizontalAlignment::leading, 2, std::move(lines));
}

// Cairo calls the writer from C; an exception must not cross its frames. The one thrown while appending
// comes out of renderSvg itself, after Cairo has returned.
TEST(PictureRendererFailure, AnOutputThatCannotGrowThrowsBadAllocFromTheRendererNotFromInsideCairo) {
  const PictureOptions options{.canvas = {.size = {600, 1200}, .cornerRadius = 0}};
  ASSERT_GT(renderSvg(manyTexts(), options).size(), 64u * 1024);
  largestAllocation = 64 * 1024;
  EXPECT_THROW(renderSvg(manyTexts(), options), std::bad_alloc);
  largestAllocation = std::numeric_limits<std::size_t>::max();
  EXPECT_GT(renderSvg(manyTexts(), options).size(), 64u * 1024);  // and Cairo is fine afterwards
}

// --- Short of memory, in a child process -------------------------------------------------------------------

/// Where a crashing child was: the shared object holding the instruction that failed.
void reportCrash(int signal, siginfo_t*, void* context) {
  const auto* machine = static_cast<ucontext_t*>(context);
  Dl_info info{};
  const auto* at = reinterpret_cast<void*>(machine->uc_mcontext.gregs[REG_RIP]);
  const char* object = dladdr(at, &info) != 0 && info.dli_fname != nullptr ? info.dli_fname : "unknown";
  std::fprintf(stderr, "crash: signal %d in %s\n", signal, object);
  std::_Exit(128 + signal);
}

struct ChildOutcome {
  int exitCode = -1;  ///< -1 when a signal ended it
  std::string err;
};

/// Renders a small widget in a child whose address space may grow by `margin` bytes from where it stands.
ChildOutcome renderShortOfMemory(std::size_t margin) {
  int pipe[2];
  if (::pipe(pipe) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipe[1], STDERR_FILENO);
    struct sigaction action {};
    action.sa_sigaction = reportCrash;
    action.sa_flags = SA_SIGINFO;  // the signal stays blocked in the handler, so a second one ends the child
    for (const int signal : {SIGSEGV, SIGBUS, SIGTRAP, SIGILL, SIGABRT}) ::sigaction(signal, &action, nullptr);
    std::size_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const auto limit = static_cast<rlim_t>(pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)) + margin);
    const rlimit address{limit, limit};
    ::setrlimit(RLIMIT_AS, &address);
    try {
      const auto png = renderPng(VStack(HorizontalAlignment::leading, 4, {Text("Weekly"), Text("42%")}), {});
      std::_Exit(png.empty() ? 2 : 0);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "velto-widget: %s\n", error.what());
      std::_Exit(1);
    }
  }
  ::close(pipe[1]);
  ChildOutcome outcome;
  char buffer[512];
  for (ssize_t count; (count = ::read(pipe[0], buffer, sizeof buffer)) > 0;) {
    outcome.err.append(buffer, static_cast<std::size_t>(count));
  }
  ::close(pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
  return outcome;
}

/// True when the child's crash report names a shared object of the font stack.
bool inAFontLibrary(const std::string& err) {
  const auto at = err.find("crash: signal ");
  if (at == std::string::npos) return false;
  const std::string object = err.substr(err.find(" in ", at) + 4);
  for (const char* library : {"libfontconfig", "libglib-2.0", "libpango", "libfreetype", "libharfbuzz"}) {
    if (object.find(library) != std::string::npos) return true;
  }
  return false;
}

// A render that runs out of address space ends as a failure with a message, whatever allocation of ours
// fails. Inside the font libraries it is out of our hands: Pango starts a thread per font lookup with
// g_thread_new, which aborts the process when the thread cannot be created, and fontconfig does not check its
// own allocations. Such a crash skips the test, naming the library; any other crash fails it.
TEST(PictureRendererFailure, ShortOfMemoryEndsWithAMessageUnlessTheFontLibrariesCrash) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit leaves";
#endif
  std::vector<std::string> outOfOurHands;
  for (const std::size_t megabytes : {1u, 4u, 8u, 16u, 32u, 64u}) {
    SCOPED_TRACE(std::to_string(megabytes) + " MiB");
    const ChildOutcome outcome = renderShortOfMemory(megabytes << 20);
    if (outcome.exitCode == 0) continue;
    if (outcome.exitCode == 1) {
      EXPECT_NE(outcome.err.find("velto-widget: "), std::string::npos) << outcome.err;
      continue;
    }
    ASSERT_TRUE(inAFontLibrary(outcome.err)) << "a crash of ours: " << outcome.err;
    outOfOurHands.push_back(std::to_string(megabytes) + " MiB: " + outcome.err);
  }
  if (!outOfOurHands.empty()) {
    std::string list;
    for (const auto& line : outOfOurHands) list += "\n  " + line;
    GTEST_SKIP() << "the font libraries crashed, out of our hands (see the README):" << list;
  }
}

}  // namespace
}  // namespace velto::render
