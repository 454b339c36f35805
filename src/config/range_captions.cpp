#include "config/range_captions.h"

namespace tessar {

QStringList RangeCaptions(int modelKind) {
  if (modelKind == 0)
    return {"2500 mV",  "1250 mV",   "625 mV",     "312.5 mV",
            "156.25 mV", "78.125 mV", "39.0625 mV", "19.5313 mV"};
  return {"5000 mV ", "2500 mV", "1250 mV", "625 mV", "312.5 mV ", "156.25 mV", "78.125 mV"};
}

}  // namespace tessar
