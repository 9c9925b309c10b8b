#include "matlist/listing_config.h"

#include <cstdio>
#include <memory>

#include "banks/vam_file.h"
#include "platform/console.h"
#include "platform/run_files.h"
#include "reader/chopper.h"

namespace tabrix {

namespace {

// Closes a file opened by the reader.
struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file != nullptr) std::fclose(file);
  }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

bool isMatrixType(char type) { return type == 'm' || type == 'p'; }
bool isVectorType(char type) { return type == 'v' || type == 'l'; }

// Reads the identity "left = term +- term ..." into the configuration's terms.
class IdentityParser {
 public:
  IdentityParser(const VamFile& file, MatListStruc& config) : file_(file), config_(config) {}

  // True when the identity ended successfully; messages printed otherwise.
  bool parse(std::string_view identity) {
    reader_.setString(identity);
    if (!readLeftSide()) return false;
    ListingTerm* term = &startTerm('+');
    bool tokenSeen = false;
    while (config_.termCount < MaxTerms) {
      const int type = reader_.nextToken();
      if (type == '+' || type == '-') {
        if (tokenSeen) {
          if (!closeTerm(*term)) return false;
          if (config_.termCount >= MaxTerms) break;
        }
        term = &startTerm(static_cast<char>(type));
        tokenSeen = false;
      } else if (type == token::kWord) {
        tokenSeen = true;
        if (!takeName(*term, reader_.tokenText())) return false;
      } else if (type == '*') {
        tokenSeen = true;
      } else if (type == token::kLineEnd || type == token::kEnd || type == ';' ||
                 type == token::kControl || type == token::kEscape) {
        return closeTerm(*term);
      } else {
        console().write("Incorrect expression\n");
        return false;
      }
    }
    return false;  // MaxTerms terms and more to come
  }

 private:
  bool readLeftSide() {
    const int type = reader_.nextToken();
    const std::string name = type == token::kWord ? reader_.tokenText() : std::string();
    const int v = name.empty() ? -1 : file_.findVariable(name);
    if (v < 0) {
      console().printf("%s undefined\n", name.c_str());
      return false;
    }
    if (!isVectorType(file_.storage(v))) {
      console().printf("%s is not a vector\n", name.c_str());
      return false;
    }
    config_.terms[0] = ListingTerm{static_cast<int16_t>(v), -1, '='};
    config_.termCount = 1;
    if (reader_.nextToken() != '=') {
      console().write("= missing in matrix listing identity\n");
      return false;
    }
    return true;
  }

  ListingTerm& startTerm(char op) {
    ListingTerm& term = config_.terms[static_cast<std::size_t>(config_.termCount)];
    term = ListingTerm{-1, -1, op};
    return term;
  }

  bool closeTerm(const ListingTerm& term) {
    if (term.vector < 0) {
      console().write("invalid operations\n");
      return false;
    }
    ++config_.termCount;
    return true;
  }

  bool takeName(ListingTerm& term, const std::string& name) {
    const int v = file_.findVariable(name);
    if (v < 0) {
      console().printf("Cannot find %s\r\n", name.c_str());
      return false;
    }
    const char type = file_.storage(v);
    int16_t* slot = nullptr;
    if (isMatrixType(type)) {
      slot = &term.matrix;
    } else if (isVectorType(type)) {
      slot = &term.vector;
    } else {
      console().printf("%s is neither a vector nor a matrix\r\n", name.c_str());
      return false;
    }
    if (*slot >= 0) {
      console().write("= missing in matrix listing identity\n");
      return false;
    }
    *slot = static_cast<int16_t>(v);
    return true;
  }

  const VamFile& file_;
  MatListStruc& config_;
  Chopper reader_;
};

// Every term with a matrix must multiply a vector of its columns and give the left
// side's rows. Counts matrixTermCount.
bool checkSizes(const VamFile& file, MatListStruc& config) {
  config.matrixTermCount = 0;
  for (int t = 1; t < config.termCount; ++t) {
    const ListingTerm& term = config.terms[static_cast<std::size_t>(t)];
    if (term.matrix < 0) continue;
    if (file.variableColumns(term.matrix) != file.variableSize(term.vector) ||
        file.variableRows(term.matrix) != config.leftSize) {
      console().write("Sizes of matrix and vector in multiplication do not match\n");
      return false;
    }
    ++config.matrixTermCount;
  }
  return true;
}

int16_t readFromFile(std::FILE* file, const std::string& name, const VamFile& first,
                     MatListStruc& config) {
  config = MatListStruc{};
  config.firstFile = &first;
  Chopper reader;
  const int peek = std::fgetc(file);
  if (peek == EOF) {
    console().printf("No identity in %s\n", name.c_str());
    return -1;
  }
  std::ungetc(peek, file);
  reader.setSource(file);

  std::string identity;
  if (reader.readConfigLine(identity) != 0) return -1;
  IdentityParser parser(first, config);
  config.leftSize = 0;
  if (!parser.parse(identity)) {
    if (config.termCount > 0) {
      console().write("Error: Two many matrix-vector pairs in Matlist.cfg file.\r\n");
    }
    return -1;
  }
  config.leftSize = first.variableSize(config.terms[0].vector);
  if (config.termCount < 2) {
    console().write("invalid operations\n");
    return -1;
  }
  if (!checkSizes(first, config)) return -1;

  std::string text;
  for (int i = 0; i <= config.matrixTermCount; ++i) {
    if (reader.readQuoted(text) != 0) {
      console().printf("Title file %d is missing in %s\n", i, name.c_str());
      return -1;
    }
    assignCut(config.titleFileNames[static_cast<std::size_t>(i)], text, TitleFileNameLength);
  }
  for (int t = 0; t < config.termCount; ++t) {
    if (reader.readQuoted(text) != 0) {
      console().printf("Label %d is missing in %s\n", t, name.c_str());
      return -1;
    }
    assignCut(config.termLabels[static_cast<std::size_t>(t)], text, TermLabelLength);
  }

  const int years = first.observations();
  config.yearsPlusOne = static_cast<int16_t>(years + 1);
  for (std::vector<float>& values : config.referenceValues) values.assign(static_cast<std::size_t>(years) + 1, 0.0f);
  return 0;
}

}  // namespace

int16_t readListingConfig(const std::string& path, const VamFile& first, MatListStruc& config) {
  FileHandle file(openRunInput(path, "r"));
  if (!file) {
    console().printf("\nCannot open %s", path.c_str());
    console().write("\nPrepare it before using the matlist command.\n");
    return -1;
  }
  return readFromFile(file.get(), path, first, config);
}

int16_t readListingConfig(std::string_view bytes, const std::string& name, const VamFile& first,
                          MatListStruc& config) {
  FileHandle file(std::tmpfile());
  if (!file || (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())) {
    console().printf("\nCannot open %s", name.c_str());
    console().write("\nPrepare it before using the matlist command.\n");
    return -1;
  }
  std::rewind(file.get());
  return readFromFile(file.get(), name, first, config);
}

void openTitleFiles(MatListStruc& config) {
  config.titleFiles.clear();
  for (int i = 0; i <= config.matrixTermCount && i < MaxTerms; ++i) {
    config.titleFiles.push_back(std::make_unique<TitleFile>(config.titleFileNames[static_cast<std::size_t>(i)]));
  }
}

}  // namespace tabrix
