#include "net/net_message.h"

#include <cstring>

namespace tessar {

namespace {

std::int32_t LengthField(std::string_view block) {
  std::uint8_t bytes[4];
  std::memcpy(bytes, block.data() + 4, 4);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[0]) |
                                   static_cast<std::uint32_t>(bytes[1]) << 8 |
                                   static_cast<std::uint32_t>(bytes[2]) << 16 |
                                   static_cast<std::uint32_t>(bytes[3]) << 24);
}

}  // namespace

std::string ComposeRequest(std::uint8_t code) {
  std::string request(kRequestSize, '\0');
  request[0] = static_cast<char>(code);
  request[4] = static_cast<char>(kRequestSize);
  return request;
}

std::string ComposeReply(std::uint8_t code, std::string_view payload) {
  payload = payload.substr(0, kNetPayloadCapacity);
  const auto length = static_cast<std::uint32_t>(kNetHeaderSize + payload.size());
  std::string reply(kNetHeaderSize, '\0');
  reply[0] = static_cast<char>(code);
  for (int i = 0; i < 4; ++i) reply[4 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  reply.append(payload);
  return reply;
}

std::string ComposeDataReply(const char (&servedFrame)[kFrameTextSize]) {
  return ComposeReply(kDataCode, std::string_view(servedFrame, kFramePayloadSize));
}

std::string ComposePausedReply() {
  return ComposeReply(kPausedCode, std::string(kFramePayloadSize, '\0'));
}

std::string ComposeSettingsReply(const BoardSettings& record) {
  return ComposeReply(kSettingsCode,
                      std::string_view(reinterpret_cast<const char*>(&record), sizeof record));
}

std::string ComposeClosedReply(std::string_view text) { return ComposeReply(kClosedCode, text); }

ReceivedMessage ClassifyBlock(std::string_view block) {
  ReceivedMessage message;
  block = block.substr(0, kNetMessageCapacity);
  message.size = static_cast<int>(block.size());
  std::memcpy(&message.record, block.data(), block.size());
  message.code = message.record.code;
  return message;
}

ServerAnswer AnswerRequest(std::string_view block, const FrameState& frame,
                           const BoardSettings& record) {
  ServerAnswer answer;
  if (block.empty() || block.size() > static_cast<std::size_t>(kRequestSize)) return answer;
  answer.requestSize = static_cast<int>(block.size());
  answer.code = static_cast<std::uint8_t>(block[0]);
  switch (answer.code) {
    case kDataCode:
      answer.kind = ServerAnswer::Kind::Reply;
      answer.reply = frame.MissedTicks < 1 ? ComposeDataReply(frame.ServedFrame)
                                           : ComposePausedReply();
      break;
    case kSettingsCode:
      answer.kind = ServerAnswer::Kind::Reply;
      answer.reply = ComposeSettingsReply(record);
      break;
    default:
      answer.kind = ServerAnswer::Kind::Unknown;
      break;
  }
  return answer;
}

bool ReplyLengthFits(std::uint8_t code, std::int32_t length) {
  switch (code) {
    case kDataCode:
    case kPausedCode:
      return length == kFrameReplySize;
    case kSettingsCode:
      return length == kSettingsReplySize;
    default:
      return length >= kNetHeaderSize && length <= kNetMessageCapacity;
  }
}

void ReplyAssembler::Feed(std::string_view bytes, std::vector<Event>& events) {
  buffer_.append(bytes);
  std::size_t start = 0;
  while (buffer_.size() - start >= static_cast<std::size_t>(kNetHeaderSize)) {
    const std::string_view rest = std::string_view(buffer_).substr(start);
    const auto code = static_cast<std::uint8_t>(rest[0]);
    const std::int32_t length = LengthField(rest);
    if (!ReplyLengthFits(code, length)) {
      Event drop;
      drop.dropped = true;
      drop.message = ClassifyBlock(rest);
      drop.message.size = static_cast<int>(rest.size());
      events.push_back(drop);
      buffer_.clear();
      return;
    }
    if (rest.size() < static_cast<std::size_t>(length)) break;
    Event event;
    event.message = ClassifyBlock(rest.substr(0, static_cast<std::size_t>(length)));
    events.push_back(event);
    start += static_cast<std::size_t>(length);
  }
  buffer_.erase(0, start);
}

void CopyFramePayload(const NetMessage& record, char (&frameText)[kFrameTextSize]) {
  std::memset(frameText, 0, sizeof frameText);
  // bytes of the payload beyond what the reply carried are zero
  static_assert(kFrameTextSize - 1 <= kNetPayloadCapacity);
  std::memcpy(frameText, record.payload, kFrameTextSize - 1);
}

}  // namespace tessar
