#pragma once
#include <string>
#include <utility>

namespace quarvel {

// How a command ended: done; declined by the user's answer to its question;
// refused (a plan or text it will not work on); failed (an error the general
// handler showed); or unavailable: not run at all, with nothing shown (its
// control is disabled, or there is nothing for it to work on). The message
// is the one the user was shown, or why the command was unavailable.
class Outcome {
 public:
  enum class Kind { Done, Declined, Refused, Failed, Unavailable };
  // What a refusal was for, where a script can do something about it.
  enum class Cause { Other, VertexLimit };

  static Outcome Done() { return Outcome(Kind::Done, {}); }
  static Outcome Declined() { return Outcome(Kind::Declined, {}); }
  static Outcome Refused(std::string message, Cause cause = Cause::Other) {
    Outcome outcome(Kind::Refused, std::move(message));
    outcome.cause_ = cause;
    return outcome;
  }
  static Outcome Failed(std::string message) { return Outcome(Kind::Failed, std::move(message)); }
  static Outcome Unavailable(std::string why) { return Outcome(Kind::Unavailable, std::move(why)); }

  Kind kind() const { return kind_; }
  const std::string& message() const { return message_; }
  Cause cause() const { return cause_; }
  bool IsDone() const { return kind_ == Kind::Done; }
  // What a script has to stop for.
  bool Stopped() const { return kind_ != Kind::Done && kind_ != Kind::Declined; }
  // True unless the general error handler had to step in.
  explicit operator bool() const { return kind_ != Kind::Failed; }

 private:
  Outcome(Kind kind, std::string message) : kind_(kind), message_(std::move(message)) {}
  Kind kind_;
  std::string message_;
  Cause cause_ = Cause::Other;
};

}  // namespace quarvel
