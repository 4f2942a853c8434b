#pragma once

#include <QString>

namespace quillon {

/// The text upper-cased one character at a time, as it goes into
/// translation and synthesis: each character becomes its capital when that
/// capital is one character, and stays as it is otherwise ("ß" stays "ß",
/// never "SS"), so that every character of the text keeps its place and a
/// letter outside A to Z is reported as the one unknown character it is.
/// A character outside the Basic Multilingual Plane counts as one character.
QString UpperCaseEachCharacter(const QString& text);

}  // namespace quillon
