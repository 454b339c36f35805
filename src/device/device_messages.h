// User-visible message pairs of the device link: Korean and English, chosen by
// the language setting when shown.
#pragma once

namespace tessar {

struct DeviceMessage {
  const char* korean;   // UTF-8 source text
  const char* english;
  const char* Text(bool koreanUi) const { return koreanUi ? korean : english; }
};

namespace device_messages {

// Serial ports.
inline constexpr DeviceMessage kPortOpenFailed{"Port 열기 실패", "Failed in Opening Port"};
// Shown after the port name ("COM3 was opened").
inline constexpr DeviceMessage kPortOpenedSuffix{" 열었습니다.", " was opened"};
// Configuration channel could not be opened: Korean puts the port name first,
// English appends it directly ("Can not openCOM3").
inline constexpr DeviceMessage kConfigPortOpenFailed{"을(를) 여는데 실패하였습니다.", "Can not open"};
inline constexpr DeviceMessage kSelectPort{"COM 포트를 선택하세요.", "Select your communication port."};

// Configuration dialogue.
inline constexpr DeviceMessage kNoReply{"응답이 없습니다. 포트를 확인하십시오.", "Failed!!! Check COM Port"};
inline constexpr DeviceMessage kError1{"Error 1", "Error 1"};
inline constexpr DeviceMessage kUnknownModel{"이 프로그램과 호환이 안 되는 모델입니다.", "Check your ORVA model"};
inline constexpr DeviceMessage kError2{"Error 2", "Error 2"};
inline constexpr DeviceMessage kError3{"Error 3", "Error 3"};
inline constexpr DeviceMessage kError4{"Error 4", "Error 4"};
inline constexpr DeviceMessage kError1098{"Error 1098", "Error 1098"};
inline constexpr DeviceMessage kOk{"OK", "OK"};

}  // namespace device_messages
}  // namespace tessar
