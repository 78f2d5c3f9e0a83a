// SKN scalable items, effects, animations, animation parameter groups and the
// effect parameter records they carry.
#include "base/error.h"
#include "output/skn_writer.h"

namespace korvane {

namespace {

// Parameter type codes of the SKN file; RAW values read back like strings.
constexpr uint8_t kFileParamInt = 0;
constexpr uint8_t kFileParamStr = 1;
constexpr uint8_t kFileParamBmp = 2;
constexpr uint8_t kFileParamNamedRef = 3;

}  // namespace

// A layer is two single bytes, high byte (the layer number) first.
void SknWriter::putLayer(uint32_t layer) {
  put8((layer >> 8) & 0xFF);
  put8(layer & 0xFF);
}

void SknWriter::writeScalableItem(const ScalableItem& item) {
  size_t start = beginChunk(kSknScalableItem, 1);
  grow(16);
  put32(item.id.major);
  put32(item.id.minor);
  put32(item.refId.major);
  put32(item.refId.minor);
  grow(4);
  putLayer(item.input);
  putLayer(item.output);
  grow(4);
  put32(0);
  writeEffects(item.effects, "effects in a scalable item");
  endChunk(start);
}

void SknWriter::writeEffects(const std::vector<EffectCommand>& effects, const char* what) {
  checkSknCount(effects.size(), UINT16_MAX, what);
  grow(2);
  put16(static_cast<uint32_t>(effects.size()));
  for (const EffectCommand& effect : effects) writeEffect(effect);
}

void SknWriter::writeEffect(const EffectCommand& effect) {
  size_t start = beginChunk(kSknEffect, 1);
  grow(4);
  put32(effect.uid);
  grow(6);
  putLayer(effect.inputA);
  putLayer(effect.inputB);
  putLayer(effect.output);
  writeParams(effect.params);
  endChunk(start);
}

void SknWriter::writeAnimation(const AnimationItem& item) {
  size_t start = beginChunk(kSknAnimationItem, 1);
  grow(8);
  put32(item.id.major);
  put32(item.id.minor);
  grow(8);
  put8(item.morphing != 0 ? 1 : 0);
  put8(0);
  put16(0);
  put32(0);
  grow(4);
  putLayer(item.input);
  putLayer(item.output);
  grow(4);
  put32(item.minInterval);
  writeEffects(item.preprocess, "preprocess effects in an animation");
  writeEffects(item.commands, "commands in an animation");
  writeParamGroups(item.values, "values in an animation");
  writeParamGroups(item.timingModels, "timing models in an animation");
  writeParamGroups(item.sizeBoundParams, "size-bound parameters in an animation");
  endChunk(start);
}

void SknWriter::writeParamGroups(const std::vector<ParamGroup>& groups, const char* what) {
  checkSknCount(groups.size(), UINT16_MAX, what);
  grow(2);
  put16(static_cast<uint32_t>(groups.size()));
  for (const ParamGroup& group : groups) writeParamGroup(group);
}

void SknWriter::writeParamGroup(const ParamGroup& group) {
  size_t start = beginChunk(kSknAnimationParamGroup, 1);
  grow(8);
  put32(group.id);
  put32(group.second);
  writeParams(group.params);
  endChunk(start);
}

void SknWriter::writeParams(const std::vector<EffectParam>& params) {
  checkSknCount(params.size(), UINT16_MAX, "effect parameters");
  grow(2);
  put16(static_cast<uint32_t>(params.size()));
  for (const EffectParam& param : params) writeParam(param);
}

// Parameter records are not chunks: a 16-bit size, no type, version or trailer.
void SknWriter::writeParam(const EffectParam& param) {
  size_t start = cursor_;
  grow(3);
  put16(0);
  put8(0);
  uint8_t code;
  switch (param.type) {
    case kParamInt:
      code = kFileParamInt;
      break;
    case kParamStr:
    case kParamRaw:
      code = kFileParamStr;
      break;
    case kParamBmp:
      code = kFileParamBmp;
      break;
    case kParamNamedRef:
      code = kFileParamNamedRef;
      break;
    default:
      throw CKrvException(kErrorContent, "Unknown parameter type in scalable item effect");
  }
  grow(1);
  put8(code);
  putCountedText(param.name);
  switch (param.type) {
    case kParamInt:
    case kParamNamedRef:
      grow(4);
      put32(static_cast<uint32_t>(param.intValue));
      break;
    case kParamStr:
      putCountedText(param.data);
      break;
    case kParamRaw:
      if (param.rawCount > param.data.size()) {
        throw CKrvException(kErrorInternal,
                            "RAW effect parameter holds fewer items than its count");
      }
      putCountedText(std::u16string_view(param.data).substr(0, param.rawCount));
      break;
    case kParamBmp:
      grow(12);
      put32(param.bitmapIndex);
      put32(static_cast<uint32_t>(param.maskIndex));
      put32(param.bitmapIndex >= kFirstBitmapIndex ? 1 : 0);
      break;
  }
  patch16(start, cursor_ - start, "bytes in an effect parameter");
}

}  // namespace korvane
