// Tests of running another program: what it is given, how its run ends, and that nothing of it outlives the run.
#include "ProcessRunner.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

// The header of glibc 2.36 (Debian 12) leaves out the C linkage that C++ needs.
extern "C" {
#include <sys/pidfd.h>
}

#include <gtest/gtest.h>

#include <stdexcept>

namespace velto::platform {
namespace {

using namespace std::chrono_literals;
using Ending = ProcessResult::Ending;

struct Run {
  ProcessResult result;
  std::vector<std::string> lines;  // of standard error
};

ProcessRequest shell(const std::string& script, std::chrono::milliseconds timeout = 10s) {
  return {.arguments = {"sh", "-c", script}, .outputLimit = 1024, .timeout = timeout, .killDelay = 100ms};
}

Run run(const ProcessRequest& request, ProcessWatch watch = {}) {
  Run run;
  watch.errorLine = [&](std::string_view line) { run.lines.emplace_back(line); };
  run.result = runProcess(request, watch);
  return run;
}

// The run reaped its process: this test program has no child left, not even a zombie.
void expectNoChild() {
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(ProcessRunner, EndingsCodesAndOutput) {
  const struct {
    ProcessRequest request;
    Ending ending;
    int code;
    std::string output;
  } cases[] = {
      {shell("printf partial; exit 3"), Ending::exited, 3, "partial"},
      {shell("kill -KILL $$"), Ending::signalled, SIGKILL, ""},
      {shell("cat"), Ending::exited, 0, ""},  // standard input is /dev/null, not ours
      {shell("head -c 1024 /dev/zero | tr '\\0' x"), Ending::exited, 0, std::string(1024, 'x')},
      {shell("head -c 1025 /dev/zero | tr '\\0' x; sleep 30"), Ending::outputTooLarge, SIGTERM, std::string(1024, 'x')},
      {shell("exec sleep 30", 100ms), Ending::timedOut, SIGTERM, ""},
      {shell("trap '' TERM; printf ignoring; sleep 30", 100ms), Ending::timedOut, SIGKILL, "ignoring"},
      {{.arguments = {"/nonexistent/collector"}}, Ending::notStarted, ENOENT, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request.arguments.back());
    const auto result = run(c.request).result;
    EXPECT_EQ(result.ending, c.ending);
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.output, c.output);
    expectNoChild();
  }
}

TEST(ProcessRunner, StandardErrorComesLineByLineAndLongLinesInPieces) {
  auto lines = run(shell("printf 'one\\ntwo\\n\\nlast without end' >&2")).lines;
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "last without end"}));

  lines = run(shell("head -c 5000 /dev/zero | tr '\\0' a >&2")).lines;
  EXPECT_EQ(lines, (std::vector<std::string>{std::string(maximumLineBytes, 'a'), std::string(904, 'a')}));

  auto relayed = shell("echo out; echo err >&2");
  relayed.relayOutput = true;
  const auto both = run(relayed);
  EXPECT_EQ(both.lines, (std::vector<std::string>{"out", "err"}));
  EXPECT_EQ(both.result.output, "");
}

TEST(ProcessRunner, TheProgramGetsThreeStreamsDefaultSignalsAndNothingElseOfOurs) {
  const int inherited = ::dup(STDIN_FILENO);  // without close-on-exec, as a parent might have left it
  sigset_t usr1;
  sigemptyset(&usr1);
  sigaddset(&usr1, SIGUSR1);
  sigset_t previous;
  ::pthread_sigmask(SIG_BLOCK, &usr1, &previous);
  const auto oldPipe = ::signal(SIGPIPE, SIG_IGN);

  // ls opens the folder it lists as 3; sed prints its own blocked and ignored signals as hexadecimal masks,
  // of which glibc's two internal signals (32, 33: the bits above the 31 standard ones) are glibc's business.
  EXPECT_EQ(run(shell("exec ls /proc/self/fd")).result.output, "0\n1\n2\n3\n");
  const std::string masks = run(shell("exec sed -n 's/^Sig\\(Blk\\|Ign\\):\\t//p' /proc/self/status")).result.output;
  ASSERT_EQ(masks.size(), 34u) << masks;
  EXPECT_EQ(std::stoull(masks.substr(0, 16), nullptr, 16), 0u);
  EXPECT_EQ(std::stoull(masks.substr(17, 16), nullptr, 16) & 0x7fff'ffffu, 0u) << masks;

  ::signal(SIGPIPE, oldPipe);
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  ::close(inherited);
}

TEST(ProcessRunner, WhatTheProgramLeftRunningEndsWithIt) {
  const auto result = run(shell("sleep 30 & echo $!")).result;
  ASSERT_EQ(result.ending, Ending::exited);
  // Not our child, so a process descriptor tells whether it ends within 5 s.
  const int fd = ::pidfd_open(std::stoi(result.output), 0);
  ASSERT_TRUE(fd >= 0 || errno == ESRCH);
  if (fd < 0) return;  // it has already ended
  pollfd descriptor{fd, POLLIN, 0};
  EXPECT_EQ(::poll(&descriptor, 1, 5000), 1);
  ::close(fd);
}

TEST(ProcessRunner, TheCallerStopsItByAnsweringTheInterruption) {
  int interrupt[2];
  ASSERT_EQ(::pipe(interrupt), 0);
  ASSERT_EQ(::write(interrupt[1], "ab", 2), 2);
  int asked = 0;
  const ProcessWatch watch{.interruptDescriptor = interrupt[0], .interrupted = [&] {
                             char byte;
                             EXPECT_EQ(::read(interrupt[0], &byte, 1), 1);
                             return ++asked == 2;  // the first answer lets it run on
                           }};
  const auto result = run(shell("exec sleep 30"), watch).result;
  EXPECT_EQ(result.ending, Ending::interrupted);
  EXPECT_EQ(asked, 2);
  ::close(interrupt[0]);
  ::close(interrupt[1]);
}

TEST(ProcessRunner, ACallbackThatThrowsLeavesNoProcessBehind) {
  const ProcessWatch watch{.errorLine = [](std::string_view) { throw std::runtime_error("full"); }};
  EXPECT_THROW(runProcess(shell("echo complaint >&2; exec sleep 30"), watch), std::runtime_error);
  expectNoChild();
}

}  // namespace
}  // namespace velto::platform
