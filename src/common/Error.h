#pragma once
#include <optional>
#include <stdexcept>
#include <string>

namespace quarvel {

// A command that declines to go on says why: the message to show the user.
// None means it may go on.
using Refusal = std::optional<std::string>;

// Every failure that ends a command and is shown by the general error handler
// derives from this type; what() is the text the user sees, word for word.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A text that had to be a number and was not.
class ConvertError : public Error {
 public:
  using Error::Error;
};

// A file or INI file that could not be written.
class WriteError : public Error {
 public:
  explicit WriteError(const std::string& path);
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace quarvel
