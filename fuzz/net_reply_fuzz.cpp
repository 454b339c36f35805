// Bytes a viewer receives from a server, cut into read events at places the
// input chooses: classified and reassembled. Whatever arrives, every reply
// handed on has a length that fits its code, no byte is counted twice or
// lost, the buffer stays below one message, and a frame copied from a reply
// ends inside the frame buffer. The server's answer to the same bytes as one
// read event is computed too.
#include <cstring>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "net/net_message.h"

using namespace tessar;
using tessar::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // the first byte chooses the size of the read events (1..256 bytes)
  const std::size_t step = static_cast<std::size_t>(data[0]) + 1;
  const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);

  ReplyAssembler assembler;
  std::vector<ReplyAssembler::Event> events;
  std::size_t accounted = 0;
  for (std::size_t at = 0; at < stream.size(); at += step) {
    events.clear();
    assembler.Feed(stream.substr(at, step), events);
    for (const ReplyAssembler::Event& event : events) {
      const ReceivedMessage& message = event.message;
      Require(message.size > 0, "an event covers some bytes");
      accounted += static_cast<std::size_t>(message.size);
      if (event.dropped) continue;
      Require(ReplyLengthFits(message.code, message.size), "a reply handed on fits its code");
      Require(message.record.length == message.size, "the length field is the message size");
      if (message.code == kDataCode) {
        char frame[kFrameTextSize];
        CopyFramePayload(message.record, frame);
        Require(frame[kFrameTextSize - 1] == '\0', "a copied frame ends with a zero");
      }
    }
    Require(assembler.Buffered() < static_cast<std::size_t>(kNetMessageCapacity),
            "less than one message stays buffered");
  }
  Require(accounted + assembler.Buffered() == stream.size(), "every byte is accounted for");

  const ReceivedMessage block = ClassifyBlock(stream);
  Require(block.size <= kNetMessageCapacity, "a block is read up to one message");
  FrameState frame;
  BoardSettings record{};
  const ServerAnswer answer = AnswerRequest(stream, frame, record);
  if (stream.size() > static_cast<std::size_t>(kRequestSize) || stream.empty()) {
    Require(answer.kind == ServerAnswer::Kind::Discard, "more than one request is not answered");
  }
  return 0;
}
