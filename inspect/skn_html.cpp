#include "inspect/skn_html.h"

namespace korvane {

std::string renderSknHtml(const SknChunk&, const SknHtmlOptions&) {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Skin</title></head>"
         "<body></body></html>\n";
}

}  // namespace korvane
