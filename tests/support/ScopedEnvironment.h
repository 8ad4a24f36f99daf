#pragma once
#include <cstdlib>
#include <optional>
#include <string>

namespace quarvel::testing {

// Sets or unsets an environment variable for one scope and puts it back.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Apply(value);
  }
  ~ScopedEnvironment() { Apply(old_); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  void Apply(const std::optional<std::string>& value) {
#ifdef _WIN32
    // An empty value removes the variable there.
    ::_putenv_s(name_, value ? value->c_str() : "");
#else
    value ? ::setenv(name_, value->c_str(), 1) : ::unsetenv(name_);
#endif
  }
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace quarvel::testing
