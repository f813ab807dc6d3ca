// The JSON forms of what konfex-cli prints (dump --json, texts --json, eds --json).
#pragma once

#include <vector>

#include "cli_command.h"
#include "core/editors/eds.h"
#include "core/image/image_dump.h"
#include "core/lang/text_table.h"

namespace konfex::cli {

Json imageJson(const DecodedImage& image);
// All 2400 texts in index order.
Json textsJson(const TextTable& table);
// One object per listed connection: the nine cell texts of the selection grid, and `raw`.
Json edsJson(const std::vector<ConnData>& connections);

}  // namespace konfex::cli
