// The content of the game's archive list ClientZips.txt: the game's stock archives, optionally
// followed by one skin package. GBK bytes, lines separated by CR LF, no line break after the last
// line, no byte-order mark, no terminating zero.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "runtime/commands/values.h"

namespace lq {

inline constexpr std::string_view kArchiveListFileName = "ClientZips.txt";

// The game's 34 stock archive names, in the order the list names them.
inline constexpr std::array<std::string_view, 34> kStockArchiveNames = {
    "Aatrox.zip",
    "Azir.zip",
    "CharacterAnimations.zip",
    "CharacterAnimations1.zip",
    "CharacterAnimations2.zip",
    "CharacterAnimations3.zip",
    "CharacterAnimations4.zip",
    "Characters.zip",
    "CharacterSkins.zip",
    "CharacterSkins1.zip",
    "CharacterTextures.zip",
    "CharacterTextures1.zip",
    "CharacterTextures2.zip",
    "CharacterTextures3.zip",
    "CharacterTextures4.zip",
    "CharacterTextures5.zip",
    "CharacterTextures6.zip",
    "CharacterTextures7.zip",
    "CharacterTextures8.zip",
    "CharacterTextures9.zip",
    "Datas.zip",
    "Datas1.zip",
    "Datas2.zip",
    "Datas3.zip",
    "Jinx.zip",
    "Loading.zip",
    "Lucian.zip",
    "Particles.zip",
    "ParticleTextrues.zip",
    "ParticleTextrues1.zip",
    "ParticleTextrues2.zip",
    "ParticleTextrues3.zip",
    "ParticleTextrues4.zip",
    "Yasuo.zip",
};

inline constexpr std::span<const std::string_view> StockArchiveList() { return kStockArchiveNames; }

// The repair form: the stock names only (667 bytes).
ByteSet StockArchiveListContent();

// The form an installation writes: every stock name followed by CR LF, then the skin's name
// followed by ".zip" (673 bytes plus the name's length). The name is used as given; an empty name
// gives the line ".zip", so callers refuse to install from an empty slot.
ByteSet ArchiveListContentWithPackage(const Text& skin_name);

}  // namespace lq
