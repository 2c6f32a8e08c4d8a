#include "xml/DomException.h"

namespace moriva {

std::string EDomException::DomExceptionMessage(int code) {
  static const char* const kMessages[] = {
      "添え字またはサイズが負であるか，許容値よりも大きい",
      "指定された範囲のテキストが１つの DOMString に収まらない",
      "ノードの属さない箇所にノードが挿入された",
      "ノードを作成した文書と異なる（そのノードをサポートしない）文書でノードが使われた",
      "名前の中などで，不当なキャラクタが指定された",
      "データをサポートしないノードにデータが指定された",
      "修正が許されないオブジェクトを修正しようと試みられた",
      "ノードが存在しない文脈でそのノードを参照しようと試みられた",
      "実装が，要求されたオブジェクトの型をサポートしない",
      "既に他の箇所で利用されているアトリビュートを追加しようと試みられた",
      "If an attempt is made to use an object that is not, or is no longer, usable.",
      "If an invalid or illegal string is specified.",
      "If an attempt is made to modify the type of the underlying object.",
      "不整な名前空間が使用された",
      "引数または操作はオブジェクトでサポートされない",
  };
  constexpr int kCount = sizeof(kMessages) / sizeof(kMessages[0]);
  if (code >= 1 && code <= kCount) return kMessages[code - 1];
  return "DOM exception " + std::to_string(code);
}

}  // namespace moriva
