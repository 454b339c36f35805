// The acquisition that the service benchmarks load: four kind-2 boards of
// type K, each taking a record on every tick into files under `directory`,
// with one frame that every tick converts.
#pragma once

#include <array>
#include <cstring>
#include <string>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/program_state.h"

namespace tessar::bench {

inline constexpr char kBenchFrame[] =
    "0A0000, 00F000, 00F100, 00F200, 00F300, 00F400, 00F500, 00F600, 00F700\r\n";

inline void PrepareFourBoards(ProgramState& program, std::array<CycleInputs, kBoardCount>& inputs,
                              const std::string& directory) {
  for (int b = 0; b < kBoardCount; ++b) {
    BoardSettings& s = program.Settings.boards[b];
    FillBoardDefaults(s, b, directory);
    s.portNumber = b + 1;
    s.boardSensorType = 1;
    for (int k = 0; k < kSlotCount; ++k) s.channelSensorType[k] = 1;
    s.refVoltage = 5.0;
    s.sampleInterval = 1;
    inputs[b].board = b;
    inputs[b].settings = &s;
    inputs[b].dataDirectory = directory;
    program.Boards[b].frame.ModelKind = 2;
    ApplyConversionSettings(program.Boards[b].conversion, s, 2);
    std::strcpy(program.Boards[b].frame.FrameText, kBenchFrame);
  }
}

}  // namespace tessar::bench
