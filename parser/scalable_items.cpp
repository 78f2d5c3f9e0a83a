// Scalable items and effects.
#include "base/error.h"
#include "parser/desc_parser.h"

namespace korvane {

void DescParser::parseScalableItem() { throw CKrvException(kErrorParse, "SCALABLEITEM is not supported yet"); }
void DescParser::parseEffect(EffectCommand&) { throw CKrvException(kErrorParse, "EFFECT is not supported yet"); }
void DescParser::parseEffectParam(EffectParam&) { throw CKrvException(kErrorParse, "EFFECT parameters are not supported yet"); }

}  // namespace korvane
