#pragma once
// Sending one image to the stick as numbered chunks, with the dialog's progress kept current.

#include "device/vendor_commands.h"

#include <cstdint>

class CKestrunDlg;

inline constexpr std::uint32_t kChunkPauseMs = 100;
inline constexpr std::uint32_t kBusyPauseMs = 500;
inline constexpr std::uint32_t kPreCheckTimeout = 1;
inline constexpr std::uint32_t kPollTimeout = 3;
// The write command numbers chunks in 16 bits.
inline constexpr std::uint32_t kMaxChunksPerImage = 65536;

// 0 when every chunk was accepted; -1 when a chunk failed, the stick refused the image, or the
// image needs more chunks than the command can number.
int WriteImage(CKestrunDlg& dlg, SptiContext& context, ImageKind kind, const std::uint8_t* image,
               std::uint32_t length);
void ReportUploadProgress(int percentage, CKestrunDlg& dlg);
