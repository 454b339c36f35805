// The messages a publisher holds: those not yet handed to the broker
// connection and those handed over but not yet acknowledged (QoS 1), in the
// order they were published. At most `limit` wait to be handed over: a new
// message beyond it drops the oldest waiting one. Those handed over do not
// count (the publisher bounds them itself) until a lost connection puts them
// back among the waiting. Drops are counted until the count is taken (once
// per outage).
#pragma once

#include <cstddef>
#include <deque>
#include <string>

namespace tessar {

struct QueuedMessage {
  std::string topic;
  std::string payload;
  int mid = 0;        // the connection's message id once handed over
  bool sent = false;   // handed to the connection
  bool acked = false;  // acknowledged, removed once those before it are
};

class MessageQueue {
 public:
  explicit MessageQueue(std::size_t limit) : limit_(limit < 1 ? 1 : limit) {}

  // Holds a message; drops the oldest waiting one when `limit` wait.
  void Push(std::string topic, std::string payload);

  // The next message to hand over, or null when all are handed over or
  // `maxInFlight` wait for their acknowledgement.
  QueuedMessage* NextToSend(std::size_t maxInFlight);
  // The message handed over as `mid` (QoS 0: acknowledged at once).
  void MarkSent(QueuedMessage& message, int mid);
  // The broker acknowledged `mid`: the message is done.
  void Acknowledge(int mid);
  // The connection is lost: what was handed over and not acknowledged goes
  // again, in its place, on the next connection; beyond `limit` the oldest
  // are dropped.
  void ConnectionLost();

  std::size_t size() const { return messages_.size(); }
  std::size_t InFlight() const { return inFlight_; }
  std::size_t Waiting() const { return messages_.size() - inFlight_; }
  std::size_t limit() const { return limit_; }
  // Messages dropped since the count was last taken.
  std::size_t Dropped() const { return dropped_; }
  std::size_t TakeDropped();
  const std::deque<QueuedMessage>& messages() const { return messages_; }

 private:
  void PopAcknowledged();
  void DropOldestWaiting();

  std::deque<QueuedMessage> messages_;  // the first inFlight_ are handed over
  std::size_t limit_;
  std::size_t inFlight_ = 0;
  std::size_t dropped_ = 0;
};

}  // namespace tessar
