// Nothing is allocated after start-up: whole passes run, from the first
// read to the process end, with every global operator new (and, outside the
// sanitizer build, malloc, calloc and realloc) counting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "analysis/analysis.h"
#include "testing/memory_console.h"
#include "program/dialogue.h"


#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OROWAN_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define OROWAN_SANITIZED 1
#endif

namespace {

// Set from the first read to the process end; the allocation functions
// below count while it is set.
bool counting = false;
long allocations = 0;

void* counted(void* p) {
  if (counting) ++allocations;
  return p;
}

}  // namespace

#ifndef OROWAN_SANITIZED
// The C allocator too (glibc's own entry points underneath), so that a
// strdup or a stdio buffer in the program would be caught as well.
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* malloc(std::size_t n) { return counted(__libc_malloc(n)); }
void* calloc(std::size_t k, std::size_t n) { return counted(__libc_calloc(k, n)); }
void* realloc(void* p, std::size_t n) { return counted(__libc_realloc(p, n)); }
}
// operator new counts once, below, not again in malloc.
static void* rawMalloc(std::size_t n) { return __libc_malloc(n); }
#else
static void* rawMalloc(std::size_t n) { return std::malloc(n); }
#endif

void* operator new(std::size_t n) {
  void* p = rawMalloc(n == 0 ? 1 : n);
  if (p == nullptr) throw std::bad_alloc();
  return counted(p);
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  return counted(rawMalloc(n == 0 ? 1 : n));
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
  return counted(rawMalloc(n == 0 ? 1 : n));
}
void* operator new(std::size_t n, std::align_val_t a) {
  void* p = std::aligned_alloc(static_cast<std::size_t>(a), (n + static_cast<std::size_t>(a) - 1) &
                                                                ~(static_cast<std::size_t>(a) - 1));
  if (p == nullptr) throw std::bad_alloc();
  return counted(p);
}
void* operator new[](std::size_t n, std::align_val_t a) { return operator new(n, a); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }


namespace {

struct DialogueRun {
  long allocations;
  int status;
  std::string out;
  std::string err;
};

// The dialogue on the in-memory console, which allocates nothing while it
// serves; counting covers the whole run, from the first prompt to the
// process end (which jumps back, so no exception object is allocated).
DialogueRun runDialogue(const std::string& input, bool terminal) {
  orowan::testing::start({.input = input, .terminal = terminal});
  allocations = 0;
  counting = true;
  const int status = orowan::testing::run([] { orowan::runDialogue(); });
  counting = false;
  DialogueRun run{allocations, status, std::string(orowan::testing::out()),
                  std::string(orowan::testing::err())};
  orowan::testing::stop();
  return run;
}

TEST(NoAllocation, TheCounterSeesAnAllocation) {
  allocations = 0;
  counting = true;
  // Through volatile pointers, so that the compiler keeps both calls.
  int* volatile p = new int(1);
  void* volatile q = std::malloc(8);
  counting = false;
  delete p;
  std::free(q);
#ifdef OROWAN_SANITIZED
  EXPECT_EQ(allocations, 1);
#else
  EXPECT_EQ(allocations, 2);
#endif
}

struct Case {
  const char* name;
  std::string input;
  bool terminal;
  int status;
};

// Slipping, sticking, mixed and tensioned passes in one process, and runs
// that end in a read error after whole passes.
TEST(NoAllocation, NoneAfterTheFirstPrompt) {
  const std::string slip = "100\n2 1.5\n20\n0 0\n0.1\n";
  const std::string stick = "100\n2 1.5\n20\n0 0\n1.0\n";
  const std::string mixed = "200\n1 0.8\n30\n0 0\n0.2\n";
  const std::string tensions = "100\n2,1.5\n20\n5 2\n0.1\n";
  const Case cases[] = {
      {"four passes, stop", slip + "1\n" + stick + "1\n" + mixed + "1\n" + tensions + "0\n", false,
       0},
      {"on a terminal", slip + "1\n" + mixed + "2\n", true, 0},
      {"end of input", slip + "1\n" + stick + "1\n100\n", false, 1},
      {"bad value", slip + "1\n" + stick + "1\n3.4028236E38\n", false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DialogueRun run = runDialogue(c.input, c.terminal);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.allocations, 0);
    // The passes did run: every pass writes its second result.
    EXPECT_NE(run.out.find("CALCULATED RESULT -- 2"), std::string::npos);
  }
}

}  // namespace
