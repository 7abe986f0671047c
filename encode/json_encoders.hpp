// The two JSON encoders: an array with one object per row, built while the rows stream
// from the database, with "Count: N" logged for the N rows read (at most one packet).
#pragma once

#include <string>
#include <vector>

#include "db/row_source.hpp"
#include "encode/encoder_sink.hpp"

namespace vantor::encode {

// Keys are the column names lower-cased (ASCII letters only). Date-named columns become
// "yyyy-MM-dd", blobs Base64 JPEG pictures, text columns strings, everything else
// two-decimal numbers. A row that fails is left out; a picture that fails loses only its
// own pair. Throws when the rows cannot be read; then there is no answer.
std::string MYJASONalls(db::RowSource& rows, EncoderSink& sink);

// Keys are the column names as stored. Text columns become strings, everything else
// two-decimal numbers. A row that fails keeps the pairs built before the failure.
std::string MYJASONall(db::RowSource& rows, EncoderSink& sink);

// What a key of the rows holds, for the API description: the same rules as the encoders.
enum class ValueForm { Text, Number, Date, Picture };
struct AnswerKey {
  std::string key;
  ValueForm form;
};
std::vector<AnswerKey> lower_keys_of(const std::vector<db::ColumnInfo>& columns);    // MYJASONalls
std::vector<AnswerKey> stored_names_of(const std::vector<db::ColumnInfo>& columns);  // MYJASONall

}  // namespace vantor::encode
