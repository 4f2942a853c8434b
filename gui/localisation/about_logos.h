#pragma once

#include <QPixmap>

namespace quillon {

/// The maker's logo of the About window: a quill over a Baudot tape, painted
/// at run time so that no image file has to travel with the program.
QPixmap MakerLogo(int size);

/// The logo of the voicemail prompts Quillon prepares: a handset sending
/// the TTY mark and space tones.
QPixmap ProductLogo(int size);

}  // namespace quillon
