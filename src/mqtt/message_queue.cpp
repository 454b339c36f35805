#include "mqtt/message_queue.h"

#include <iterator>
#include <utility>

namespace tessar {

void MessageQueue::Push(std::string topic, std::string payload) {
  if (Waiting() >= limit_) DropOldestWaiting();
  messages_.push_back(QueuedMessage{std::move(topic), std::move(payload)});
}

void MessageQueue::DropOldestWaiting() {
  messages_.erase(messages_.begin() + static_cast<std::ptrdiff_t>(inFlight_));
  ++dropped_;
}

QueuedMessage* MessageQueue::NextToSend(std::size_t maxInFlight) {
  if (inFlight_ >= messages_.size() || inFlight_ >= maxInFlight) return nullptr;
  return &messages_[inFlight_];
}

void MessageQueue::MarkSent(QueuedMessage& message, int mid) {
  message.mid = mid;
  message.sent = true;
  ++inFlight_;
}

void MessageQueue::Acknowledge(int mid) {
  for (std::size_t i = 0; i < inFlight_; ++i) {
    if (messages_[i].mid == mid && !messages_[i].acked) {
      messages_[i].acked = true;
      break;
    }
  }
  PopAcknowledged();
}

void MessageQueue::ConnectionLost() {
  std::deque<QueuedMessage> unacknowledged;
  for (std::size_t i = 0; i < inFlight_; ++i) {
    if (!messages_[i].acked) unacknowledged.push_back(QueuedMessage{std::move(messages_[i].topic),
                                                                   std::move(messages_[i].payload)});
  }
  messages_.erase(messages_.begin(), messages_.begin() + static_cast<std::ptrdiff_t>(inFlight_));
  messages_.insert(messages_.begin(), std::make_move_iterator(unacknowledged.begin()),
                   std::make_move_iterator(unacknowledged.end()));
  inFlight_ = 0;
  while (Waiting() > limit_) DropOldestWaiting();
}

std::size_t MessageQueue::TakeDropped() { return std::exchange(dropped_, 0); }

void MessageQueue::PopAcknowledged() {
  while (!messages_.empty() && messages_.front().acked) {
    messages_.pop_front();
    --inFlight_;
  }
}

}  // namespace tessar
