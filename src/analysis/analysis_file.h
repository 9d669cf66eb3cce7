// The analysis file beside the WAV file: a text header with the connection parameters and
// window lengths of the run, then one block per output frame with one line per analysed note.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <vector>

#include "analysis/analysis_results.h"
#include "core/file_io.h"

// Largest record count of one block a reader accepts.
inline constexpr int32_t ANALYSIS_BLOCK_CAPACITY = 256;

// Builds the analysis path from wave_path by replacing the three characters after the last
// "." of the file name with extension ("take1.wav" -> "take1.fft", ".wave" -> ".ffte") into
// destination (capacity bytes). Returns false, writing nothing usable, when the file name has
// no ".", the result does not fit, or the result would name the WAV file itself.
bool make_analysis_path(const char* wave_path, char* destination, size_t capacity, const char* extension);

// Line 1: FINE_NOTE flag, SL_DIFFLEVEL, SL_DIFFNOTE.
void write_analysis_first_line(std::FILE* file);

// Lines 2 to 18: VR_INTERVAL flag, then note_window_length eight per line.
void write_analysis_header(std::FILE* file);

// One block: its header (record count, frame position, duration) and one line per record,
// formatted in text (a buffer kept between calls, grown when too small) and written at once.
void write_analysis_block(std::FILE* file, std::span<const FrameNoteRecord> records, int32_t position,
                          int32_t duration, std::vector<char>& text);

// Reads an analysis file's characters in large pieces: the file grows by megabytes per
// second of audio, and going through the stream character by character costs more than
// the rest of note extraction.
class AnalysisReader {
public:
    explicit AnalysisReader(std::FILE* file);

    // Brings at least count characters from the current position into view (fewer only at
    // the end of the file); the view is followed by a '\0'.
    void ensure(size_t count);
    const char* cursor() const { return buffer_.get() + next_; }
    const char* limit() const { return buffer_.get() + end_; }
    void advance_to(const char* position) { next_ = static_cast<size_t>(position - buffer_.get()); }

private:
    static constexpr size_t READ_PIECE = size_t{1} << 18;

    std::FILE* file_;
    std::unique_ptr<char[]> buffer_;  // READ_PIECE characters and the '\0' after the view
    size_t next_ = 0;
    size_t end_ = 0;
    bool at_end_ = false;
};

// Reads line 1 into values (fine flag, SL_DIFFLEVEL, SL_DIFFNOTE). False when missing.
bool read_analysis_first_line(AnalysisReader& reader, int32_t values[3]);

// After line 1: reads line 2 into VR_INTERVAL (on exactly when 1) and lines 3 to 18 into
// note_window_length. False, changing nothing, when a value is missing.
bool read_analysis_header(AnalysisReader& reader);

// Lines 1 to 18 as every reader of the notes takes them: line 1 into FINE_NOTE (on exactly
// when 1), SL_DIFFLEVEL and SL_DIFFNOTE, then read_analysis_header. False when a value is
// missing.
bool read_analysis_settings(AnalysisReader& reader);

struct AnalysisBlockHeader {
    int32_t record_count = 0;
    int32_t position = 0;   // sample index of the frame in the 44100 Hz mono wave
    int32_t duration = 0;   // samples
};

enum class BlockHeaderRead { Block, EndOfFile, Damaged };

// Reads one block header. EndOfFile when no value is left; Damaged for a header cut short,
// a value that is no number, or a record count outside 0..ANALYSIS_BLOCK_CAPACITY.
BlockHeaderRead read_analysis_block_header(AnalysisReader& reader, AnalysisBlockHeader& header);

// Reads one record line (note, fine step, level, continuity). False when missing.
bool read_analysis_record(AnalysisReader& reader, FrameNoteRecord& record);

// Whether a block read whole can be used: a frame at no negative position or duration,
// and records whose note and fine step exist. The readers stop before the first block
// that is not, so that every reader of one file keeps the same complete blocks.
bool usable_analysis_block(const AnalysisBlockHeader& header);
bool usable_analysis_record(const FrameNoteRecord& record);

// Opens the analysis file of the WAV file in current_path for reading; empty when it has no
// analysis path or cannot be opened.
FileHandle open_analysis_file();

// Opens the analysis file of current_path, checks its header and counts the record lines of
// its blocks up to the first one that is damaged (cut short, a value that is no number, a
// record count outside 0..ANALYSIS_BLOCK_CAPACITY, or not usable), recomputing max_level
// over the blocks counted: a damaged block ends the file, as it does for note extraction.
// Returns 0 for a missing file or a damaged header.
int32_t count_analysis_records();
