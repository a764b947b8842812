#pragma once

#include "model/RadioImage.h"

// std
#include <optional>
#include <string>

// The data files the command line reads and writes, chosen by the name's extension: ".kt"
// (the window's data file) or ".csv" (the channel plan the window exports). Images are as the
// window holds them once shown, so a file saved here equals the window's after the same steps.

enum class ImageFileKind
{
    Kt,
    Csv
};

// The kind a name's extension (in any case) gives; nullopt for any other.
[[nodiscard]] std::optional<ImageFileKind> ImageFileKindOf(const std::string& path);

struct ImageFileRead
{
    std::optional<RadioImage> image; // set only when the whole file was accepted
    std::string error;               // the window's message otherwise
};

// Reads the file whole or not at all, as the window's open and import do. A CSV's missing
// fields come from a fresh window's grid and combos.
[[nodiscard]] ImageFileRead ReadImageFile(const std::string& path);

// Saves the image safely (an existing file stays intact on failure); empty on success, else
// the window's message.
[[nodiscard]] std::string WriteImageFile(const std::string& path, const RadioImage& image);
