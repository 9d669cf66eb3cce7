// Shared by the console converter's tests.
#pragma once

namespace batch_test {

// The usage text printed without arguments, which stays line for line as it always was
// (--help prints the newer one).
inline constexpr const char* LEGACY_USAGE =
    "Usages: Tonagram_batch.exe filename[.wav] [options]\n"
    "   filename: Specify WAV-format nocompresed audio file\n"
    "             (Created MIDI-format file: filename.txt/mid)\n"
    "[Option Parameters]\n"
    "  f:0/1/2, Output File Format 0:TXT, 1:SMF, 2:TXT and SMF [default]\n"
    "  o:0/1, Overtone Removal 0:Off [default], 1:On\n"
    "  m:0/1, Microtonal Analaysis 0:Off [default], 1:On\n"
    "  w:256-8192, Analysis Frame Size  [default:4096]\n"
    "  t:1-1536 Time Resolution Per Second  [default:1536]\n"
    "  b:1-90000 Output Bit-rate [bps]  [default:9000]\n"
    "  h:1--64, Number of Harmony [default:32]\n";

} // namespace batch_test
