// The bytes on the wire between a logger and its viewers. Every message has
// an 8-byte header (code, three zero bytes, int32 length of the whole
// message, little-endian) and a payload of up to 1500 bytes. Requests are
// the first 5 bytes of a header: the code, three zeros and the length's low
// byte, 5.
//
// One board is served per TCP port (board A on 7996 .. board D on 7999).
// Requests are taken one read event at a time; replies are cut out of the
// byte stream by their length field, so a reply split or joined by TCP is
// still read whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "device/frame_state.h"
#include "settings/board_settings.h"

namespace tessar {

constexpr std::uint8_t kDataCode = 0xA0;      // data request / latest frame reply
constexpr std::uint8_t kSettingsCode = 0xB0;  // settings request / board record reply
constexpr std::uint8_t kPausedCode = 0xC0;    // reply to a data request: no fresh frame
constexpr std::uint8_t kClosedCode = 0xF0;    // unsolicited: server stopping or client refused

constexpr int kFirstServerPort = 7996;  // board b is served on 7996 + b
constexpr int kNetHeaderSize = 8;
constexpr int kNetPayloadCapacity = 1500;
constexpr int kNetMessageCapacity = kNetHeaderSize + kNetPayloadCapacity;  // 1508
constexpr int kRequestSize = 5;
constexpr int kFramePayloadSize = 80;                                  // 0xA0 and 0xC0
constexpr int kFrameReplySize = kNetHeaderSize + kFramePayloadSize;    // 88
constexpr int kSettingsPayloadSize = static_cast<int>(sizeof(BoardSettings));  // 1304
constexpr int kSettingsReplySize = kNetHeaderSize + kSettingsPayloadSize;     // 1312

constexpr const char* kServerClosedText = "Server is closed";
constexpr const char* kTooManyUsersText = "Too many user";

// The message record, the same layout in both directions.
struct NetMessage {
  std::uint8_t code;
  std::uint8_t reserved[3];
  std::int32_t length;  // bytes of the message as sent, header included
  std::uint8_t payload[kNetPayloadCapacity];
};
static_assert(sizeof(NetMessage) == kNetMessageCapacity);
static_assert(offsetof(NetMessage, length) == 4);
static_assert(offsetof(NetMessage, payload) == kNetHeaderSize);
static_assert(std::is_trivially_copyable_v<NetMessage>);
static_assert(kFramePayloadSize == kServedFrameBytes);
static_assert(kSettingsPayloadSize == 1304);

// The 5 bytes of a request.
std::string ComposeRequest(std::uint8_t code);
// A reply: header and payload (a payload beyond 1500 bytes is cut).
std::string ComposeReply(std::uint8_t code, std::string_view payload);
// 0xA0 with the first 80 bytes of the served frame buffer.
std::string ComposeDataReply(const char (&servedFrame)[kFrameTextSize]);
// 0xC0 with 80 zero bytes.
std::string ComposePausedReply();
// 0xB0 with the 1304-byte record as held in memory.
std::string ComposeSettingsReply(const BoardSettings& record);
// 0xF0 with a text, without its terminating zero.
std::string ComposeClosedReply(std::string_view text);

// A received block seen as one message: byte 0 is the code, the payload
// starts at byte 8; bytes the block does not carry read as zero.
struct ReceivedMessage {
  std::uint8_t code = 0;
  int size = 0;     // bytes the message had
  NetMessage record{};
};
ReceivedMessage ClassifyBlock(std::string_view block);

// What the server does with one read event of a connection.
struct ServerAnswer {
  enum class Kind {
    Discard,  // more than 5 bytes were waiting: all read and dropped, no reply
    Reply,    // `reply` goes back to the client
    Unknown,  // not a request code: logged, no reply
  };
  Kind kind = Kind::Discard;
  std::uint8_t code = 0;   // byte 0 of the request
  int requestSize = 0;     // bytes of the request
  std::string reply;
};
// `block` is everything waiting on the connection. A data request is
// answered with the frame while the board has had a frame at its last tick
// (MissedTicks below 1), otherwise with 0xC0; a settings request always with
// the record.
ServerAnswer AnswerRequest(std::string_view block, const FrameState& frame,
                           const BoardSettings& record);

// The length a reply of `code` must have: 88 for 0xA0 and 0xC0, 1312 for
// 0xB0, anything from 8 to 1508 for the others; false when `length` does not
// fit its code.
bool ReplyLengthFits(std::uint8_t code, std::int32_t length);

// Cuts replies out of the byte stream of one connection by their length
// field. A length that does not fit its code drops everything buffered; the
// stream then goes on with the next bytes received.
class ReplyAssembler {
 public:
  struct Event {
    bool dropped = false;  // a bad length: `message.size` bytes were thrown away
    ReceivedMessage message;
  };

  // Takes the bytes of one read event; the whole replies now complete (and
  // any drop) are appended to `events` in stream order.
  void Feed(std::string_view bytes, std::vector<Event>& events);
  void Clear() { buffer_.clear(); }
  std::size_t Buffered() const { return buffer_.size(); }

 private:
  std::string buffer_;  // never more than one incomplete reply
};

// Copies a data reply's payload into a frame buffer: zero-filled, at most
// kFrameTextSize - 1 bytes, always ending with a zero.
void CopyFramePayload(const NetMessage& record, char (&frameText)[kFrameTextSize]);

}  // namespace tessar
