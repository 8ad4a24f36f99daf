#pragma once
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "ports/Texts.h"

namespace quarvel {

// A command that declines to go on says why: the message to show the user.
// None means it may go on.
using Refusal = std::optional<std::string>;

// What a step that may decline returns: its result, or the message why
// there is none.
template <typename T>
class Checked {
 public:
  Checked(T value) : value_(std::move(value)) {}  // NOLINT: a result converts
  static Checked Refused(std::string why) { return Checked(std::move(why), 0); }

  explicit operator bool() const { return value_.has_value(); }
  const T& operator*() const { return *value_; }
  T& operator*() { return *value_; }
  const T* operator->() const { return &*value_; }
  // The message; only when there is no result.
  const std::string& refusal() const { return refusal_; }
  Refusal AsRefusal() const { return value_ ? Refusal() : Refusal(refusal_); }

 private:
  Checked(std::string why, int) : refusal_(std::move(why)) {}
  std::optional<T> value_;
  std::string refusal_;
};

// Every failure that ends a command and is shown by the general error handler
// derives from this type. Deep in the core no language is known, so a failure
// there names its text of the language file and the values of its
// placeholders, and whoever shows it words it (In); what() is then only a
// stand-in for a missing language file.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
  explicit Error(Message message);
  Error(Text text, TextValues values) : Error(Message{text, std::move(values)}) {}

  // The message in the language of `texts`.
  std::string In(const TextSource& texts) const;

 private:
  std::optional<Message> message_;
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
