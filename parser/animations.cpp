// Animations.
#include "base/error.h"
#include "parser/desc_parser.h"

namespace korvane {

void DescParser::parseAnimation() { throw CKrvException(kErrorParse, "ANIMATION is not supported yet"); }

}  // namespace korvane
