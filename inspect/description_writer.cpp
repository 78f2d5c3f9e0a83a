// The description text of a decompiled skin: the opening from the skin-level
// settings, then every element in the order found, each restricted by a
// RESTRICTION element or an item prefix and preceded by the BITMAPPATH its
// image files need.
#include "inspect/description_writer.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "base/text.h"
#include "inspect/description_text.h"
#include "source/source_lexer.h"

namespace korvane::decompile {

namespace {

constexpr uint32_t kSoundMajor = 0x101F869E;

class Writer {
 public:
  explicit Writer(const WriterInput& in) : in_(in) {}

  std::u16string write(const std::vector<OrderStep>& steps);

 private:
  void line(std::u16string text) {
    out_ += text;
    out_ += u'\n';
  }
  void writeHeader();
  void writeElement(const Element& element, const std::u16string& prefix);
  void writeBitmap(const BitmapRecord& bitmap, const std::u16string& prefix);
  void writeCompound(const Element& element, const std::u16string& prefix);
  void writeScalable(const ScalableRecord& item, const std::u16string& prefix);
  void writeAnimation(const Element& element, const std::u16string& prefix);
  void writeEffect(const char16_t* keyword, const EffectRecord& effect,
                   const std::u16string& indent);
  void writeParams(const std::vector<ParamRecord>& params, const std::u16string& indent);
  std::u16string inlineImage(const BitmapRecord& bitmap);
  std::u16string attributesText(const ImageAttributesRecord& attributes) const;
  std::u16string itemToken(const ItemId& id, const std::u16string& prefix, const char* what);
  void usePathOf(const Element& element);
  std::u16string missingFile() {
    namesMissingFiles_ = true;
    return in_.images.missingFile();
  }

  const WriterInput& in_;
  std::u16string out_;
  std::u16string path_ = u".\\";
  // Some inline image or BMP value names a file that must not exist.
  bool namesMissingFiles_ = false;
};

std::u16string Writer::write(const std::vector<OrderStep>& steps) {
  Restriction current = 0;
  for (size_t s = 0; s < steps.size(); ++s) {
    const OrderStep& step = steps[s];
    if (step.section) {
      line(u"RESTRICTION " + restrictionText(step.value));
      current = step.value;
      continue;
    }
    const Element& element = in_.elements[step.value];
    Restriction restriction = in_.skin.groups[element.group].restriction;
    std::u16string prefix;
    if (in_.needsPrefix(element) && element.kind != Kind::kAppIcon && restriction != 0 &&
        restriction < kFirstLanguageRestriction) {
      // A name holding "%" reads right only behind a prefix, and a prefix
      // only where no RESTRICTION element applies.
      if (current != 0) {
        line(u"RESTRICTION NONE");
        current = 0;
      }
      prefix = restrictionText(restriction) + u'%';
    } else if (restriction != current) {
      // A lone release or layout item takes a prefix; a run of them, an
      // application icon (which takes none) or a change from another
      // restriction takes a RESTRICTION element.
      bool alone =
          s + 1 == steps.size() || steps[s + 1].section ||
          in_.skin.groups[in_.elements[steps[s + 1].value].group].restriction != restriction;
      if (current == 0 && restriction != 0 && alone && element.kind != Kind::kAppIcon) {
        prefix = restrictionText(restriction) + u'%';
      } else {
        line(u"RESTRICTION " + restrictionText(restriction));
        current = restriction;
      }
    }
    writeElement(element, prefix);
  }
  // The opening comes first but is written last: its comment names the
  // files that must not exist, known once the elements are written.
  std::u16string body = std::move(out_);
  out_.clear();
  writeHeader();
  return out_ + body;
}

std::u16string Writer::itemToken(const ItemId& id, const std::u16string& prefix, const char* what) {
  return u"IID=" + prefix + in_.nameOf(id, what, !prefix.empty());
}

std::u16string Writer::attributesText(const ImageAttributesRecord& a) const {
  auto signed16 = [](uint16_t value) { return decimal(static_cast<int16_t>(value)); };
  std::u16string text;
  if (a.flags & 0x001) text += u" COORDS=" + signed16(a.x) + u',' + signed16(a.y);
  if (a.flags & 0x002) text += u" SIZE=" + signed16(a.width) + u',' + signed16(a.height);
  if (a.flags & 0x004) text += u" STRETCH";
  if (a.flags & 0x008) text += u" TILE";
  if (a.flags & 0x040) text += u" TILEX";
  if (a.flags & 0x080) text += u" TILEY";
  if (a.flags & 0x010) {
    const char16_t vertical = (a.align & 0x07) == 0x01   ? u'T'
                              : (a.align & 0x07) == 0x02 ? u'B'
                                                         : u'C';
    const char16_t horizontal = (a.align & 0x38) == 0x08   ? u'L'
                                : (a.align & 0x38) == 0x10 ? u'R'
                                                           : u'C';
    text += u" ALIGN=";
    text += vertical;
    text += horizontal;
  }
  return text;
}

std::u16string Writer::inlineImage(const BitmapRecord& bitmap) {
  const ImageFile& image = in_.images.image(bitmap.index);
  std::u16string text = image.depth + u' ' + image.file;
  if (bitmap.masked) text += u' ' + image.maskToken;
  return text + attributesText(bitmap.attributes);
}

void Writer::usePathOf(const Element& element) {
  if (element.firstImage == 0) return;
  const std::u16string& path = in_.images.image(element.firstImage).path;
  if (path == path_) return;
  line(path.empty() ? u"BITMAPPATH" : u"BITMAPPATH " + path);
  path_ = path;
}

void Writer::writeHeader() {
  const std::string& skinName = in_.skin.skinName;
  bool printable =
      std::all_of(skinName.begin(), skinName.end(), [](char c) { return c > 0x20 && c < 0x7F; });
  line(u"/ Written by korvane-dump --source from a compiled skin: compiled with the skin name");
  std::u16string name = skinName.empty() ? u"\"\""
                        : printable      ? widenCopy(skinName)
                                         : u"of the SKN file";
  if (in_.listed || in_.images.images().empty()) {
    line(u"/ " + name + u" and the same image files, it gives the same SKN file (but for its time");
    line(u"/ stamp) and the same generation list.");
  } else {
    line(u"/ " + name + u", it gives the same SKN file (but for its time stamp). Without the");
    line(u"/ generation list its image files are placeholders named after their bitmap indices,");
    line(u"/ such as bitmap_4000.bmp, all at the colour depth c16; give it files of these names.");
  }
  if (namesMissingFiles_) {
    line(u"/ Inline images and BMP values whose files did not exist name missing_1.bmp and on;");
    line(u"/ such files must not exist either.");
  }

  if (in_.skin.scalable()) {
    line(u"SKINTYPE scalable");
  } else {
    line(in_.skin.skinType == 0 ? u"SKINTYPE normal" : u"SKINTYPE normal language=AH");
  }
  if (in_.skin.packageIdHigh == 0) {
    line(u"UID " + hexNumber(in_.skin.packageIdLow));
  } else {
    line(u"PID " + hexNumber(in_.skin.packageIdHigh) + u' ' + hexNumber(in_.skin.packageIdLow));
  }
  // Only the low 16 bits of a language code reach the file, so names that
  // share them differ above.
  std::unordered_map<uint32_t, uint32_t> seen;
  for (const SkinName& name : in_.skin.names) {
    uint32_t code = name.languageId + 0x10000 * seen[name.languageId]++;
    line(u"NAME " + decimal(code) + u' ' + quotedText(name.name));
  }
  if (!in_.skin.author.empty()) line(u"AUTHOR " + quotedText(in_.skin.author));
  if (!in_.skin.copyright.empty()) line(u"COPYRIGHT " + quotedText(in_.skin.copyright));
  if (!in_.skin.tool.empty()) line(u"TOOL " + quotedText(in_.skin.tool));
  for (const std::u16string& device : in_.skin.targetDevices)
    line(u"TARGETDEVICE " + quotedText(device));
  if (in_.skin.protect) line(u"PROTECT disablecopy");
  if (in_.skin.languageOverride) {
    line(u"LANGUAGEOVERRIDE AH " + hexNumber(in_.skin.ahOverrideHigh) + u' ' +
         hexNumber(in_.skin.ahOverrideLow));
  }
  if (in_.skin.paletteScheme != 0) line(u"PALETTE SCHEME=" + decimal(in_.skin.paletteScheme));
}

void Writer::writeBitmap(const BitmapRecord& bitmap, const std::u16string& prefix) {
  line(u"BITMAP " + itemToken(bitmap.id, prefix, "a bitmap") + u' ' + inlineImage(bitmap));
}

void Writer::writeCompound(const Element& element, const std::u16string& prefix) {
  const ItemGroup& group = in_.skin.groups[element.group];
  const Compound& compound = in_.compounds[element.compound];
  const char* what = kindName(element.kind);
  switch (element.kind) {
    case Kind::kAppIcon:
      line(u"APPICON UID=" + hexNumber(group.appIcons[element.record].id.minor));
      break;
    case Kind::kFrame:
      line(u"FRAME " + itemToken(group.frames[element.record].id, prefix, what));
      break;
    default: {
      const BmpAnimRecord& anim = group.bmpAnims[element.record];
      std::u16string header = u"BMPANIM " + itemToken(anim.id, prefix, what);
      if (anim.interval != 0xFFFF) header += u" INTERVAL=" + decimal(anim.interval);
      // MODE=svganim marks the files the animation numbers; a later MODE=
      // sets the mode without taking the mark back.
      if (compound.animated || anim.mode == 255) header += u" MODE=svganim";
      static const char16_t* const kModes[] = {u" MODE=play", u" MODE=cycle", u" MODE=bounce"};
      if (anim.mode < 3 && (anim.mode != 0 || compound.animated)) header += kModes[anim.mode];
      if (anim.flash) header += u" FLASH";
      line(header);
      break;
    }
  }
  for (size_t k = 0; k < compound.parts.size(); ++k) {
    const Part& part = compound.parts[k];
    std::u16string text = u"  ";
    if (element.kind == Kind::kBmpAnim) {
      const BmpAnimFrameRecord& frame = group.bmpAnims[element.record].frames[k];
      if (frame.time != 0xFFFF) text += u"TIME=" + decimal(frame.time) + u' ';
      if (frame.posX != 0 || frame.posY != 0) {
        text += u"POS=" + decimal(static_cast<int16_t>(frame.posX)) + u',' +
                decimal(static_cast<int16_t>(frame.posY)) + u' ';
      }
    }
    switch (part.form) {
      case Part::Form::kNamed:
        text += u"IID=" + in_.nameOf(part.id, std::string("an image of a ") + what, false);
        break;
      case Part::Form::kInline:
        text += inlineImage(group.bitmaps[part.bitmap]);
        break;
      case Part::Form::kMissing:
        text += u"c16 " + missingFile();
        break;
    }
    line(text);
  }
  line(u"END");
}

void Writer::writeParams(const std::vector<ParamRecord>& params, const std::u16string& indent) {
  for (const ParamRecord& param : params) {
    std::u16string text = indent;
    switch (param.code) {
      case kSknParamInt:
        text += u"INT " + param.name + u' ' + decimal(static_cast<int32_t>(param.intValue));
        break;
      case kSknParamNamedRef:
        text += u"NAMEDREF " + param.name + u" VALUEID=" +
                decimal(static_cast<int32_t>(param.intValue));
        break;
      case kSknParamString: {
        // STR and RAW values are written alike; text reads best as STR.
        bool plain = param.text.size() <= SourceLexer::kMaxToken &&
                     std::all_of(param.text.begin(), param.text.end(),
                                 [](char16_t c) { return c >= 0x20 && c != 0xFFFF; });
        text += plain ? u"STR " + param.name + u' ' + quotedText(param.text)
                      : u"RAW " + param.name + u' ' + rawData(param.text);
        break;
      }
      default:
        if (param.bitmapIndex == kSknNoIndex) {
          text += u"BMP " + param.name + u" c16 " + missingFile();
        } else {
          const ImageFile& image = in_.images.image(param.bitmapIndex);
          text += u"BMP " + param.name + u' ' + image.depth + u' ' + image.file;
          if (param.maskIndex != kSknNoIndex) text += u' ' + image.maskToken;
        }
        break;
    }
    line(text);
  }
}

void Writer::writeEffect(const char16_t* keyword, const EffectRecord& effect,
                         const std::u16string& indent) {
  line(indent + keyword + u" UID=" + hexNumber(effect.uid) + u" INPUTA=" +
       layerText(effect.inputA) + u" INPUTB=" + layerText(effect.inputB) + u" OUTPUT=" +
       layerText(effect.output));
  writeParams(effect.params, indent + u"  ");
  line(indent + u"END");
}

void Writer::writeScalable(const ScalableRecord& item, const std::u16string& prefix) {
  std::u16string header = u"SCALABLEITEM " + itemToken(item.id, prefix, "a scalable item");
  if (item.reference) {
    line(header + u" REFIID=" +
         in_.nameOf(item.refId, "the item a scalable item stands for", false));
    return;
  }
  line(header + u" INPUT=" + layerText(item.input) + u" OUTPUT=" + layerText(item.output));
  for (const EffectRecord& effect : item.effects) writeEffect(u"EFFECT", effect, u"  ");
  line(u"END");
}

void Writer::writeAnimation(const Element& element, const std::u16string& prefix) {
  const AnimationRecord& item = in_.skin.groups[element.group].animations[element.record];
  line(u"ANIMATION " + itemToken(item.id, prefix, "an animation") + u" INPUT=" +
       layerText(item.input) + u" OUTPUT=" + layerText(item.output) + u" MININTERVAL=" +
       decimal(item.minInterval) + (item.morphing ? u" MORPHING" : u""));
  if (!item.preprocess.empty()) {
    line(u"  PREPROCESS");
    for (const EffectRecord& effect : item.preprocess) writeEffect(u"EFFECT", effect, u"    ");
    line(u"  END");
  }
  for (const auto& [block, i] : element.blocks) {
    switch (block) {
      case Block::kCommand:
        writeEffect(u"COMMAND", item.commands[i], u"  ");
        break;
      case Block::kValue:
        line(u"  VALUE UID=" + decimal(item.values[i].id) + u" TIMINGID=" +
             decimal(item.values[i].second));
        writeParams(item.values[i].params, u"    ");
        line(u"  END");
        break;
      case Block::kTimingModel:
        line(u"  TIMINGMODEL UID=" + decimal(item.timingModels[i].id));
        writeParams(item.timingModels[i].params, u"    ");
        line(u"  END");
        break;
      case Block::kSizeBound: {
        const ParamGroupRecord& group = item.sizeBoundParams[i];
        static const char16_t* const kFlags[] = {u"", u"W", u"H", u"W_AND_H"};
        line(u"  SIZEBOUNDPARAM " + group.params[0].name + u" VALUEID=" + decimal(group.id) +
             u" FLAGS=" + kFlags[group.second]);
        break;
      }
    }
  }
  line(u"END");
}

void Writer::writeElement(const Element& element, const std::u16string& prefix) {
  const ItemGroup& group = in_.skin.groups[element.group];
  usePathOf(element);
  switch (element.kind) {
    case Kind::kBitmap:
      writeBitmap(group.bitmaps[element.record], prefix);
      break;
    case Kind::kAppIcon:
    case Kind::kFrame:
    case Kind::kBmpAnim:
      writeCompound(element, prefix);
      break;
    case Kind::kColorTable: {
      const ColorTableRecord& table = group.colorTables[element.record];
      line(u"COLORTABLE " + itemToken(table.id, prefix, "a colour table"));
      for (const ColorEntryRecord& entry : table.entries) {
        if (entry.index == 0xFFFF) {
          // Red is the low byte of the stored colour and the first of RGB=.
          uint32_t rgb = ((entry.rgb & 0xFF) << 16) | (entry.rgb & 0xFF00) | (entry.rgb >> 16);
          line(u"  RGB=" + widenCopy(format("0x%06X", rgb)));
        } else {
          line(u"  IDX=" + decimal(entry.index));
        }
      }
      line(u"END");
      break;
    }
    case Kind::kString: {
      const StringRecord& string = group.strings[element.record];
      line((string.id.major == kSoundMajor ? u"SOUND " : u"STRING ") +
           itemToken(string.id, prefix, "a string") + u' ' + quotedText(string.text));
      break;
    }
    case Kind::kScalable:
      writeScalable(group.scalables[element.record], prefix);
      break;
    case Kind::kAnimation:
      writeAnimation(element, prefix);
      break;
  }
}

}  // namespace

std::u16string writeDescription(const WriterInput& input, const std::vector<OrderStep>& steps) {
  return Writer(input).write(steps);
}

}  // namespace korvane::decompile
