// Scalable items: the SCALABLEITEM element in its effect and reference forms,
// the EFFECT block (shared with the COMMAND blocks of animations) and the
// effect parameters (shared with the VALUE and TIMINGMODEL blocks).
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "base/diagnostics.h"
#include "base/error.h"
#include "base/text.h"
#include "parser/desc_parser.h"
#include "parser/element_params.h"
#include "parser/vocabulary.h"
#include "source/source_lexer.h"
#include "source/tokens.h"

namespace korvane {

namespace {

// Bitmap index of a BMP parameter whose image file does not exist.
constexpr uint32_t kNoBitmapIndex = 0xFFFFFFFF;

}  // namespace

void DescParser::parseScalableItem() {
  const std::u16string& token = lexer_.token;
  ScalableItem item;
  item.id = readItemIdParam("IID parameter expected for SCALABLEITEM", item.restriction);

  nextParam(lexer_);
  if (startsWithNoCase(token, u"INPUT=")) {
    item.input = parseLayer(std::u16string_view(token).substr(6));
    item.output = parseLayer(
        readKeyedParam(lexer_, u"OUTPUT=", "OUTPUT parameter expected for SCALABLEITEM"));
    for (;;) {
      if (!nextWord(lexer_)) {
        raiseMissingEnd("No END token for SCALABLEITEM", elementPlace_);
      }
      if (equalsNoCase(token, u"END")) break;
      if (!equalsNoCase(token, u"EFFECT")) raiseExpectedToken(token, u"EFFECT or END");
      parseEffect(appendCounted(item.effects, "SCALABLEITEM has more than 65535 effects"));
    }
    content_.addScalableItem(std::move(item));
  } else if (startsWithNoCase(token, u"REFIID=")) {
    // The prefix of the referenced name is checked, but the item keeps its own restriction.
    Restriction dropped = content_.currentRestriction;
    item.refId = resolveItemReference(std::u16string_view(token).substr(7), dropped);
    if (reports(DiagnosticCode::kReferenceToMissingItem) && !content_.itemExists(item.refId)) {
      reportAt(sink_, DiagnosticCode::kReferenceToMissingItem,
               "IID reference (" + narrowCopy(token) + ") currently points to non-existent element",
               lexer_.currentLine);
    }
    content_.addScalableRef(item);
  } else {
    throw CKrvException(kErrorParse, "INPUT parameter expected for SCALABLEITEM");
  }
}

void DescParser::parseEffect(EffectCommand& effect) {
  const Span opened = lexer_.tokenSpan();
  effect.uid = static_cast<uint32_t>(
      parseNumber(readKeyedParam(lexer_, u"UID=", "UID parameter expected for EFFECT")));
  effect.inputA =
      parseLayer(readKeyedParam(lexer_, u"INPUTA=", "INPUTA parameter expected for EFFECT"));
  effect.inputB =
      parseLayer(readKeyedParam(lexer_, u"INPUTB=", "INPUTB parameter expected for EFFECT"));
  effect.output =
      parseLayer(readKeyedParam(lexer_, u"OUTPUT=", "OUTPUT parameter expected for EFFECT"));
  paramScratch_.clear();
  for (;;) {
    if (!nextWord(lexer_)) raiseMissingEnd("No END token for EFFECT", opened);
    if (equalsNoCase(lexer_.token, u"END")) {
      keepScratchParams(effect.params);
      return;
    }
    parseEffectParam(appendCounted(paramScratch_, "EFFECT has more than 65535 parameters"));
  }
}

void DescParser::keepScratchParams(std::vector<EffectParam>& params) {
  params.reserve(params.size() + paramScratch_.size());
  params.insert(params.end(), std::make_move_iterator(paramScratch_.begin()),
                std::make_move_iterator(paramScratch_.end()));
  paramScratch_.clear();
}

void DescParser::parseEffectParam(EffectParam& param) {
  const std::u16string& token = lexer_.token;
  const NamedCode* kind = findNamedCode(kEffectParamTypes, token);
  if (kind == nullptr) raiseExpectedToken(token, u"STR, INT, BMP, RAW or NAMEDREF");
  param.type = static_cast<EffectParamType>(kind->code);
  nextParam(lexer_);
  param.name = content_.keepText(token);

  switch (param.type) {
    case kParamInt:
      nextParam(lexer_);
      param.intValue = parseNumber(token);
      break;
    case kParamStr:
      readString(lexer_);
      param.data = content_.keepText(token);
      break;
    case kParamBmp: {
      nextParam(lexer_);
      param.bitmapDepth = parseColorDepth(token);
      if (!nextParam(lexer_)) {
        // Without this the bare bitmap path, a directory, would pass as an image file.
        throw CKrvException(kErrorParse, "Image file name missing");
      }
      const std::u16string fileName = token;
      BitmapSource* source = content_.registerBitmapSource(param.bitmapDepth, fileName, 0);
      param.bitmapIndex = source != nullptr ? source->index : kNoBitmapIndex;
      param.maskIndex = -1;
      if (nextParam(lexer_)) {
        if (!isMaskToken(token)) raiseExpectedToken(token, u"MASK or SOFTMASK");
        applyMaskToken(token, isSvgName(fileName), source);
        if (source != nullptr) param.maskIndex = static_cast<int32_t>(param.bitmapIndex + 1);
      }
      break;
    }
    case kParamNamedRef:
      param.intValue = parseNumber(
          readKeyedParam(lexer_, u"VALUEID=", "VALUEID parameter expected for NAMEDREF"));
      break;
    case kParamRaw:
      param.rawCount = static_cast<uint32_t>(readRawData(lexer_));
      param.data = content_.keepText(token);
      break;
  }
}

}  // namespace korvane
