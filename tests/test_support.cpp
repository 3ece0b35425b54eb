#include "test_support.h"

namespace testio {
namespace {

std::string served;  // the memory console serves it without a copy

}  // namespace

void start(std::string_view input, bool terminal, std::size_t chunk) {
  served.assign(input);
  console::memory::start({.input = served, .terminal = terminal, .chunk = chunk});
}

std::string out() { return std::string(console::memory::out()); }
std::string err() { return std::string(console::memory::err()); }
int reads() { return console::memory::reads(); }

void stop() { console::memory::stop(); }

}  // namespace testio
