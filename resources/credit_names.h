// The people the show credits, written once: the setup dialog's credits box and the closing
// credits both name them from here (the closing credits letter-space them).
#pragma once

namespace credit_names {

inline constexpr const char kLeadProgrammer[] = "Tomas Renwick";
inline constexpr const char kModeling[] = "Ilsa Marrow";
inline constexpr const char kAnimation[] = "Ben Halvorsen";
inline constexpr const char kSoundtrack[] = "Clara Fenwick";
inline constexpr const char kJapaneseCharacters[] = "Nora Kimura";
inline constexpr const char* const kSpecialThanks[] = {"Peter Lund", "Anna Westbrook", "Oscar Delaney"};

}  // namespace credit_names
