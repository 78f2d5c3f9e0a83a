// Animations: the ANIMATION element with its header, MORPHING, the PREPROCESS
// effects, and the COMMAND, VALUE, TIMINGMODEL and SIZEBOUNDPARAM entries.
#include <string>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "parser/desc_parser.h"
#include "parser/element_params.h"
#include "source/source_lexer.h"
#include "source/tokens.h"

namespace korvane {

namespace {

// Size-bound flags: which dimension of the item a value follows.
constexpr uint32_t kSizeBoundWidth = 1;
constexpr uint32_t kSizeBoundHeight = 2;
constexpr uint32_t kSizeBoundBoth = 3;

uint32_t readKeyedNumber(SourceLexer& lexer, std::u16string_view key, const char* missingMessage) {
  return static_cast<uint32_t>(parseNumber(readKeyedParam(lexer, key, missingMessage)));
}

bool isKeyword(SourceLexer& lexer, std::u16string_view keyword) {
  return equalsNoCase(lexer.token, keyword);
}

uint32_t parseSizeBoundFlags(std::u16string_view token) {
  if (equalsNoCase(token, u"FLAGS=W")) return kSizeBoundWidth;
  if (equalsNoCase(token, u"FLAGS=H")) return kSizeBoundHeight;
  if (equalsNoCase(token, u"FLAGS=W_AND_H")) return kSizeBoundBoth;
  throw CKrvException(kErrorParse, "FLAGS=W|H|W_AND_H parameter expected for SIZEBOUNDPARAM");
}

}  // namespace

void DescParser::parseAnimation() {
  const std::u16string& token = lexer_.token;
  AnimationItem item;
  item.id = readItemIdParam("IID parameter expected for ANIMATION", item.restriction);
  item.input =
      parseLayer(readKeyedParam(lexer_, u"INPUT=", "INPUT parameter expected for ANIMATION"));
  item.output =
      parseLayer(readKeyedParam(lexer_, u"OUTPUT=", "OUTPUT parameter expected for ANIMATION"));
  item.minInterval =
      readKeyedNumber(lexer_, u"MININTERVAL=", "MININTERVAL parameter expected for ANIMATION");

  nextWord(lexer_);
  if (isKeyword(lexer_, u"MORPHING")) {
    item.morphing = 1;
    nextWord(lexer_);
  }
  if (isKeyword(lexer_, u"PREPROCESS")) {
    const Span opened = lexer_.tokenSpan();
    for (;;) {
      if (!nextWord(lexer_)) raiseMissingEnd("No END token for ANIMATION/PREPROCESS", opened);
      if (isKeyword(lexer_, u"END")) break;
      if (!isKeyword(lexer_, u"EFFECT")) raiseExpectedToken(token, u"EFFECT or END");
      parseEffect(appendCounted(item.preprocess, "PREPROCESS has more than 65535 effects"));
    }
    nextWord(lexer_);
  }

  // The parameters of a VALUE or TIMINGMODEL block run to its END; the end of
  // the file ends them too and is reported by the loop below.
  auto readGroupParams = [&](ParamGroup& group, const char* overflowMessage) {
    paramScratch_.clear();
    while (nextWord(lexer_) && !isKeyword(lexer_, u"END")) {
      parseEffectParam(appendCounted(paramScratch_, overflowMessage));
    }
    keepScratchParams(group.params);
  };

  for (;;) {
    if (isKeyword(lexer_, u"END")) {
      content_.addAnimation(std::move(item));
      return;
    }
    if (isKeyword(lexer_, u"COMMAND")) {
      parseEffect(appendCounted(item.commands, "ANIMATION has more than 65535 commands"));
    } else if (isKeyword(lexer_, u"VALUE")) {
      ParamGroup& group = appendCounted(item.values, "ANIMATION has more than 65535 values");
      group.id = readKeyedNumber(lexer_, u"UID=", "UID parameter expected for VALUE");
      group.second = readKeyedNumber(lexer_, u"TIMINGID=", "TIMINGID parameter expected for VALUE");
      readGroupParams(group, "VALUE has more than 65535 parameters");
    } else if (isKeyword(lexer_, u"TIMINGMODEL")) {
      ParamGroup& group =
          appendCounted(item.timingModels, "ANIMATION has more than 65535 timing models");
      group.id = readKeyedNumber(lexer_, u"UID=", "UID parameter expected for TIMINGMODEL");
      readGroupParams(group, "TIMINGMODEL has more than 65535 parameters");
    } else if (isKeyword(lexer_, u"SIZEBOUNDPARAM")) {
      ParamGroup& group = appendCounted(item.sizeBoundParams,
                                        "ANIMATION has more than 65535 size-bound parameters");
      nextParam(lexer_);
      EffectParam& param = group.params.emplace_back();
      param.name = content_.keepText(token);
      param.type = kParamInt;
      param.intValue = 0;
      group.id =
          readKeyedNumber(lexer_, u"VALUEID=", "VALUEID parameter expected for SIZEBOUNDPARAM");
      nextParam(lexer_);
      group.second = parseSizeBoundFlags(token);
    } else {
      raiseExpectedToken(token, u"COMMAND, VALUE, TIMINGMODEL, SIZEBOUNDPARAM, or END");
    }
    if (!nextWord(lexer_)) raiseMissingEnd("No END token for ANIMATION", elementPlace_);
  }
}

}  // namespace korvane
