#pragma once

#include <QString>
#include <array>
#include <optional>
#include <string_view>

#include "core/common/user_interface.h"
#include "core/synthesis/character_inventory.h"

namespace quillon {

/// The four rates the clip set can be built at.
enum class BaudRate { Baud45, Baud50, Baud75, Baud110 };

/// The tic clips a rate is built from, and its name for people.
struct BaudRateInfo {
  BaudRate rate;
  std::string_view space_tic;  ///< the prepared space tic of this rate
  std::string_view mark_tic;   ///< the prepared mark tic of this rate
  std::string_view caption;    ///< "Baudot - 45.45 baud", ...
  std::string_view name;       ///< "45.45", "50", "75", "110"
};

inline constexpr std::array<BaudRateInfo, 4> kBaudRates = {{
    {BaudRate::Baud45, "spacetic45baud.wav", "marktic45baud.wav", "Baudot - 45.45 baud", "45.45"},
    {BaudRate::Baud50, "spacetic50baud.wav", "marktic50baud.wav", "Baudot - 50 baud", "50"},
    {BaudRate::Baud75, "spacetic75baud.wav", "marktic75baud.wav", "Baudot - 75 baud", "75"},
    {BaudRate::Baud110, "spacetic110baud.wav", "marktic110baud.wav", "Baudot - 110 baud", "110"},
}};

/// The rate called `name` ("45.45", "45", "50", "75" or "110").
std::optional<BaudRate> BaudRateFromName(std::string_view name);

/// The eight tics of a frame: a space start bit, the five code bits, and two
/// mark stop bits ("S" space, "M" mark).
std::string TicSequence(const AlphabetRow& row);

/// What one build of the clip set came to.
struct AlphabetResult {
  int runs = 0;       ///< joining runs started
  int failures = 0;   ///< failures reported (each in its own message box)
};

/// Builds the clip set from the tic clips of one rate: copies the rate's
/// tics to "spacetic.wav" and "marktic.wav", joins eight tics into each of
/// the 29 frames with one `wavcat` run each, and copies every letter clip to
/// the figure that shares its code. Each failure is shown in its own message
/// box and the build goes on; "Done." closes every build.
class AlphabetConstruction {
 public:
  /// With no rate, the working tic clips already on disk are used.
  AlphabetResult Run(std::optional<BaudRate> rate, const QString& program_folder,
                     UserInterface& ui);

  /// The command line of the last frame joined.
  const QString& command_line() const { return command_line_; }

 private:
  /// Appends " spacetic.wav" or " marktic.wav" to the command line.
  void AppendTic(char tic);

  QString command_line_;
};

}  // namespace quillon
