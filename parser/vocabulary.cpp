#include "parser/vocabulary.h"

#include "base/text.h"

namespace korvane {

namespace {

using VK = ValueKind;

constexpr ParamKey kSkinTypeKeys[] = {
    {u"", VK::kEnumeration, kSkinTypes, "skin type"},
    {kSkinTypeLanguageAH, VK::kNone, {}, "language override A&H (non-scalable skins)"},
};
constexpr ParamKey kUidKeys[] = {
    {u"", VK::kNumber, {}, "package UID"},
};
constexpr ParamKey kPidKeys[] = {
    {u"", VK::kNumber, {}, "package ID, high word (not zero)"},
    {u"", VK::kNumber, {}, "package ID, low word"},
};
constexpr ParamKey kNameKeys[] = {
    {u"", VK::kNumber, {}, "language ID"},
    {u"", VK::kString, {}, "skin name in that language"},
};
constexpr ParamKey kLanguageOverrideKeys[] = {
    {kLanguageOverrideAH, VK::kNone, {}, "A&H override"},
    {u"", VK::kNumber, {}, "override UID (one number: low word; two: high and low)"},
};
constexpr ParamKey kLanguageParentKeys[] = {
    {u"", VK::kNumber, {}, "parent UID (one number: low word; two: high and low)"},
};
constexpr ParamKey kProtectKeys[] = {
    {kProtectDisableCopy, VK::kNone, {}, "forbid copying the skin"},
};
constexpr ParamKey kStringKeys[] = {
    {u"", VK::kString, {}, "text"},
};
constexpr ParamKey kBitmapPathKeys[] = {
    {u"", VK::kPath, {}, "directory of the image files; none: automatic"},
};

constexpr ParamKey kRestrictionKeys[] = {
    {u"", VK::kEnumeration, kRestrictionSpecifiers, "release or layout"},
    {kRestrictionLanguageKey, VK::kNumber, {}, "language code"},
    {kRestrictionNone, VK::kNone, {}, "no restriction from here on"},
};

constexpr ParamKey kBitmapKeys[] = {
    {kBitmapClassAppIcon, VK::kNone, {}, "bitmap of the application-icon class"},
    {u"IID=", VK::kItemName, {}, "item name (optionally behind a restriction and %)"},
    {u"", VK::kColorDepth, kColorDepths, "colour depth"},
    {u"", VK::kFileName, {}, "image file"},
};
constexpr ParamKey kItemIdKeys[] = {
    {u"IID=", VK::kItemName, {}, "item name (optionally behind a restriction and %)"},
};
constexpr ParamKey kColorTableBody[] = {
    {u"IDX=", VK::kNumber, {}, "palette index"},
    {u"RGB=", VK::kNumber, {}, "colour 0xRRGGBB"},
};
constexpr ParamKey kImageReferenceBody[] = {
    {u"IID=", VK::kItemName, {}, "image by item name"},
    {u"", VK::kColorDepth, kColorDepths, "inline image: colour depth, then file name"},
};
constexpr ParamKey kBmpAnimKeys[] = {
    {u"IID=", VK::kItemName, {}, "item name (optionally behind a restriction and %)"},
    {u"INTERVAL=", VK::kNumber, {}, "frame interval"},
    {u"FLASH", VK::kNone, {}, "flashing animation"},
    {kAnimModeKey, VK::kEnumeration, kAnimModes, "animation mode"},
};
constexpr ParamKey kBmpAnimBody[] = {
    {u"TIME=", VK::kNumber, {}, "time of the next frame"},
    {u"POS=", VK::kNumberPair, {}, "position x,y of the next frame"},
    {u"IID=", VK::kItemName, {}, "frame image by item name"},
    {u"", VK::kColorDepth, kColorDepths, "inline frame image: colour depth, then file name"},
};
constexpr ParamKey kAppIconKeys[] = {
    {u"UID=", VK::kNumber, {}, "application UID"},
};
constexpr ParamKey kPaletteKeys[] = {
    {u"SCHEME=", VK::kNumber, {}, "palette scheme"},
};
constexpr ParamKey kStringItemKeys[] = {
    {u"IID=", VK::kItemName, {}, "item name (optionally behind a restriction and %)"},
    {u"", VK::kString, {}, "text or sound file"},
};
constexpr ParamKey kScalableItemKeys[] = {
    {u"IID=", VK::kItemName, {}, "item name (optionally behind a restriction and %)"},
    {u"INPUT=", VK::kLayer, kLayerChannels, "input layer (effect form)"},
    {u"OUTPUT=", VK::kLayer, kLayerChannels, "output layer (effect form)"},
    {u"REFIID=", VK::kItemName, {}, "referenced item (reference form, no block)"},
};
constexpr ParamKey kEffectKeys[] = {
    {u"UID=", VK::kNumber, {}, "effect UID"},
    {u"INPUTA=", VK::kLayer, kLayerChannels, "first input layer"},
    {u"INPUTB=", VK::kLayer, kLayerChannels, "second input layer"},
    {u"OUTPUT=", VK::kLayer, kLayerChannels, "output layer"},
};
constexpr ParamKey kAnimationKeys[] = {
    {u"IID=", VK::kItemName, {}, "item name (optionally behind a restriction and %)"},
    {u"INPUT=", VK::kLayer, kLayerChannels, "input layer"},
    {u"OUTPUT=", VK::kLayer, kLayerChannels, "output layer"},
    {u"MININTERVAL=", VK::kNumber, {}, "minimum interval"},
};
constexpr ParamKey kValueKeys[] = {
    {u"UID=", VK::kNumber, {}, "value UID"},
    {u"TIMINGID=", VK::kNumber, {}, "timing model UID"},
};
constexpr ParamKey kTimingModelKeys[] = {
    {u"UID=", VK::kNumber, {}, "timing model UID"},
};
constexpr ParamKey kSizeBoundKeys[] = {
    {u"", VK::kNumber, {}, "parameter name"},
    {u"VALUEID=", VK::kNumber, {}, "value UID"},
    {kSizeBoundFlagsKey, VK::kEnumeration, kSizeBoundFlags, "dimension followed"},
};
constexpr ParamKey kIntParamKeys[] = {
    {u"", VK::kNone, {}, "parameter name"},
    {u"", VK::kNumber, {}, "value"},
};
constexpr ParamKey kStrParamKeys[] = {
    {u"", VK::kNone, {}, "parameter name"},
    {u"", VK::kString, {}, "value"},
};
constexpr ParamKey kBmpParamKeys[] = {
    {u"", VK::kNone, {}, "parameter name"},
    {u"", VK::kColorDepth, kColorDepths, "colour depth"},
    {u"", VK::kFileName, {}, "image file"},
    {u"MASK=", VK::kFileName, {}, "mask file"},
    {u"SOFTMASK=", VK::kFileName, {}, "soft mask file"},
    {u"MASK", VK::kNone, {}, "unnamed mask (SVG)"},
    {u"SOFTMASK", VK::kNone, {}, "unnamed soft mask (SVG)"},
};
constexpr ParamKey kNamedRefParamKeys[] = {
    {u"", VK::kNone, {}, "parameter name"},
    {u"VALUEID=", VK::kNumber, {}, "value UID"},
};
constexpr ParamKey kRawParamKeys[] = {
    {u"", VK::kNone, {}, "parameter name"},
    {u"", VK::kRawData, {}, "numbers in brackets"},
};

constexpr ParamKey kImageAttributeKeys[] = {
    {u"MASK=", VK::kFileName, {}, "mask file"},
    {u"SOFTMASK=", VK::kFileName, {}, "soft mask file"},
    {u"MASK", VK::kNone, {}, "unnamed mask (SVG)"},
    {u"SOFTMASK", VK::kNone, {}, "unnamed soft mask (SVG)"},
    {u"COORDS=", VK::kNumberPair, {}, "position x,y"},
    {u"SIZE=", VK::kNumberPair, {}, "size width,height"},
    {u"STRETCH", VK::kNone, {}, "stretch"},
    {u"TILE", VK::kNone, {}, "tile"},
    {u"TILEX", VK::kNone, {}, "tile horizontally"},
    {u"TILEY", VK::kNone, {}, "tile vertically"},
    {u"ALIGN=", VK::kEnumeration, kAlignments, "alignment"},
};

constexpr const char* kScalableItemOnly = "SCALABLEITEM can only be included in scalable skins";
constexpr const char* kAnimationOnly = "ANIMATION can only be included in scalable skins";
constexpr std::u16string_view kParamBlocks = u"EFFECT COMMAND VALUE TIMINGMODEL";

constexpr ElementWords kElementWords[] = {
    {u"SKINTYPE",
     Placement::kOpening,
     u"",
     nullptr,
     false,
     kSkinTypeKeys,
     {},
     false,
     "the skin's type (first element)"},
    {u"UID", Placement::kOpening, u"", nullptr, false, kUidKeys, {}, false, "package UID"},
    {u"PID", Placement::kOpening, u"", nullptr, false, kPidKeys, {}, false, "package ID"},
    // The element loop, in the order it tests the keywords. NAME is also the
    // last element of the opening.
    {u"NAME",
     Placement::kTopLevel,
     u"",
     nullptr,
     false,
     kNameKeys,
     {},
     false,
     "skin name for one language"},
    {u"LANGUAGEOVERRIDE",
     Placement::kTopLevel,
     u"",
     nullptr,
     false,
     kLanguageOverrideKeys,
     {},
     false,
     "language override (non-scalable skins)"},
    {u"LANGUAGEPARENT",
     Placement::kTopLevel,
     u"",
     nullptr,
     false,
     kLanguageParentKeys,
     {},
     false,
     "parent skin UID (non-scalable skins)"},
    {u"PROTECT",
     Placement::kTopLevel,
     u"",
     nullptr,
     false,
     kProtectKeys,
     {},
     false,
     "copy protection"},
    {u"AUTHOR", Placement::kTopLevel, u"", nullptr, false, kStringKeys, {}, false, "author"},
    {u"COPYRIGHT", Placement::kTopLevel, u"", nullptr, false, kStringKeys, {}, false, "copyright"},
    {u"TARGETDEVICE",
     Placement::kTopLevel,
     u"",
     nullptr,
     false,
     kStringKeys,
     {},
     false,
     "target device"},
    {u"TOOL", Placement::kTopLevel, u"", nullptr, false, kStringKeys, {}, false, "tool"},
    {u"BITMAP", Placement::kTopLevel, u"", nullptr, false, kBitmapKeys, {}, true, "bitmap item"},
    {u"COLORTABLE", Placement::kTopLevel, u"", nullptr, true, kItemIdKeys, kColorTableBody, false,
     "colour table"},
    {u"FRAME", Placement::kTopLevel, u"", nullptr, true, kItemIdKeys, kImageReferenceBody, true,
     "nine-part frame"},
    {u"BMPANIM", Placement::kTopLevel, u"", nullptr, true, kBmpAnimKeys, kBmpAnimBody, true,
     "bitmap animation"},
    {u"APPICON", Placement::kTopLevel, u"", nullptr, true, kAppIconKeys, kImageReferenceBody, true,
     "application icon"},
    {u"PALETTE",
     Placement::kTopLevel,
     u"",
     nullptr,
     false,
     kPaletteKeys,
     {},
     false,
     "palette scheme"},
    {u"SOUND", Placement::kTopLevel, u"", nullptr, false, kStringItemKeys, {}, false, "sound item"},
    {u"STRING",
     Placement::kTopLevel,
     u"",
     nullptr,
     false,
     kStringItemKeys,
     {},
     false,
     "string item"},
    {u"SCALABLEITEM",
     Placement::kTopLevel,
     u"",
     kScalableItemOnly,
     true,
     kScalableItemKeys,
     {},
     false,
     "scalable item: effects, or a reference"},
    {u"ANIMATION",
     Placement::kTopLevel,
     u"",
     kAnimationOnly,
     true,
     kAnimationKeys,
     {},
     false,
     "animation"},
    {u"BITMAPPATH",
     Placement::kTopLevel,
     u"",
     nullptr,
     false,
     kBitmapPathKeys,
     {},
     false,
     "image directory"},
    {u"RESTRICTION",
     Placement::kTopLevel,
     u"",
     nullptr,
     false,
     kRestrictionKeys,
     {},
     false,
     "restriction of the items that follow"},
    // Inside blocks.
    {u"EFFECT",
     Placement::kInside,
     u"SCALABLEITEM PREPROCESS",
     nullptr,
     true,
     kEffectKeys,
     {},
     false,
     "effect"},
    {u"MORPHING",
     Placement::kInside,
     u"ANIMATION",
     nullptr,
     false,
     {},
     {},
     false,
     "morphing animation (first line of the body)"},
    {u"PREPROCESS",
     Placement::kInside,
     u"ANIMATION",
     nullptr,
     true,
     {},
     {},
     false,
     "preprocessing effects"},
    {u"COMMAND",
     Placement::kInside,
     u"ANIMATION",
     nullptr,
     true,
     kEffectKeys,
     {},
     false,
     "animation command"},
    {u"VALUE",
     Placement::kInside,
     u"ANIMATION",
     nullptr,
     true,
     kValueKeys,
     {},
     false,
     "animation value"},
    {u"TIMINGMODEL",
     Placement::kInside,
     u"ANIMATION",
     nullptr,
     true,
     kTimingModelKeys,
     {},
     false,
     "timing model"},
    {u"SIZEBOUNDPARAM",
     Placement::kInside,
     u"ANIMATION",
     nullptr,
     false,
     kSizeBoundKeys,
     {},
     false,
     "size-bound parameter"},
    {u"INT",
     Placement::kInside,
     kParamBlocks,
     nullptr,
     false,
     kIntParamKeys,
     {},
     false,
     "number parameter"},
    {u"STR",
     Placement::kInside,
     kParamBlocks,
     nullptr,
     false,
     kStrParamKeys,
     {},
     false,
     "text parameter"},
    {u"BMP",
     Placement::kInside,
     kParamBlocks,
     nullptr,
     false,
     kBmpParamKeys,
     {},
     false,
     "image parameter"},
    {u"NAMEDREF",
     Placement::kInside,
     kParamBlocks,
     nullptr,
     false,
     kNamedRefParamKeys,
     {},
     false,
     "named reference parameter"},
    {u"RAW",
     Placement::kInside,
     kParamBlocks,
     nullptr,
     false,
     kRawParamKeys,
     {},
     false,
     "raw data parameter"},
};

bool namesParent(std::u16string_view parents, std::u16string_view parent) {
  while (!parents.empty()) {
    size_t blank = parents.find(u' ');
    std::u16string_view word = parents.substr(0, blank);
    if (equalsNoCase(word, parent)) return true;
    if (blank == std::u16string_view::npos) break;
    parents.remove_prefix(blank + 1);
  }
  return false;
}

}  // namespace

VocabularyList<ElementWords> elementVocabulary() {
  return kElementWords;
}

VocabularyList<ParamKey> imageAttributeKeys() {
  return kImageAttributeKeys;
}

const ElementWords* findElementWords(std::u16string_view keyword, Placement placement,
                                     std::u16string_view parent) {
  for (const ElementWords& element : kElementWords) {
    if (element.placement != placement || !equalsNoCase(keyword, element.keyword)) continue;
    if (placement == Placement::kInside && !parent.empty() &&
        !namesParent(element.parents, parent)) {
      continue;
    }
    return &element;
  }
  return nullptr;
}

const NamedCode* findNamedCode(VocabularyList<NamedCode> list, std::u16string_view name) {
  for (const NamedCode& entry : list) {
    if (equalsNoCase(name, entry.name)) return &entry;
  }
  return nullptr;
}

const char* restrictionDescription(uint32_t code) {
  switch (code) {
    case 0x206:
      return "2.6";
    case 0x207:
      return "2.7";
    case 0x208:
      return "2.8";
    case 0x300:
      return "3.0";
    case 0x301:
      return "3.1";
    case 0x302:
      return "3.2";
    case 0x500:
      return "5.0";
    case 0x10000:
      return "Layout/Non-Mirrored";
    case 0x20000:
      return "Layout/Mirrored";
    default:
      return nullptr;
  }
}

}  // namespace korvane
