#pragma once

namespace quarvel {}  // namespace quarvel
