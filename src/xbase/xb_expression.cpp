#include "xbase/xb_expression.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "xbase/xb_error.h"
#include "xbase/xb_lexer.h"
#include "xbase/xb_record.h"

namespace px {

// One node of a compiled expression; its result type is fixed at compile time.
class TXbNode {
public:
    TXbNode(TXbType type, int width) : type_(type), width_(width) {}
    virtual ~TXbNode() = default;
    TXbNode(const TXbNode&) = delete;
    TXbNode& operator=(const TXbNode&) = delete;

    TXbType type() const { return type_; }
    int width() const { return width_; }
    virtual TXbValue eval(const TXbEvalContext& context) const = 0;
    // Fast paths for index keys and filters, free of allocations once the
    // output string has grown: a logical result, and a character result
    // appended to out.
    virtual bool test(const TXbEvalContext& context) const { return eval(context).logical; }
    virtual void appendText(const TXbEvalContext& context, std::string& out) const {
        out += eval(context).text;
    }

private:
    TXbType type_;
    int width_;
};

namespace {

using TNode = std::unique_ptr<TXbNode>;
using TEval = std::function<TXbValue(const TXbEvalContext&)>;

constexpr std::size_t kMaxTextLength = 4096;
constexpr int kMaxDepth = 200;
constexpr int kMaxWidth = 4096;

[[noreturn]] void fail(const std::string& why) {
    throw EXbError(TXbErrorKind::BadExpression, why);
}

std::string rtrim(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

class TConstant final : public TXbNode {
public:
    explicit TConstant(TXbValue value, int width)
        : TXbNode(value.type, width), value_(std::move(value)) {}
    TXbValue eval(const TXbEvalContext&) const override { return value_; }

private:
    TXbValue value_;
};

class TFieldRef final : public TXbNode {
public:
    explicit TFieldRef(TXbField field)
        : TXbNode(field.valueType(), field.width), field_(std::move(field)) {}
    TXbValue eval(const TXbEvalContext& context) const override {
        return xbReadField(field_, context.record);
    }
    bool test(const TXbEvalContext& context) const override {
        const char c = context.record[field_.offset];
        return c == 'T' || c == 't' || c == 'Y' || c == 'y';
    }
    void appendText(const TXbEvalContext& context, std::string& out) const override {
        const std::size_t start = out.size();
        out.append(context.record + field_.offset, static_cast<std::size_t>(field_.width));
        std::replace(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), '\0', ' ');
    }

private:
    TXbField field_;
};

// Builds the value of a character node from its appendText.
TXbValue textOf(const TXbNode& node, const TXbEvalContext& context) {
    std::string s;
    node.appendText(context, s);
    return TXbValue::character(std::move(s));
}

enum class TTextFn { Upper, Lower, AllTrim, RTrim, LTrim };

class TTextFunction final : public TXbNode {
public:
    TTextFunction(TTextFn fn, std::unique_ptr<TXbNode> arg)
        : TXbNode(TXbType::Character, arg->width()), fn_(fn), arg_(std::move(arg)) {}
    TXbValue eval(const TXbEvalContext& context) const override { return textOf(*this, context); }
    void appendText(const TXbEvalContext& context, std::string& out) const override {
        const std::size_t start = out.size();
        arg_->appendText(context, out);
        const auto begin = out.begin() + static_cast<std::ptrdiff_t>(start);
        switch (fn_) {
            case TTextFn::Upper:
                std::transform(begin, out.end(), begin, [](char c) {
                    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
                });
                return;
            case TTextFn::Lower:
                std::transform(begin, out.end(), begin, [](char c) {
                    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
                });
                return;
            case TTextFn::AllTrim:
            case TTextFn::RTrim:
            case TTextFn::LTrim:
                break;
        }
        if (fn_ != TTextFn::LTrim) {
            const std::size_t last = out.find_last_not_of(' ');
            out.erase(last == std::string::npos || last < start ? start : last + 1);
        }
        if (fn_ != TTextFn::RTrim) {
            std::size_t first = start;
            while (first < out.size() && out[first] == ' ') {
                ++first;
            }
            out.erase(start, first - start);
        }
    }

private:
    TTextFn fn_;
    std::unique_ptr<TXbNode> arg_;
};

class TConcat final : public TXbNode {
public:
    TConcat(int width, std::unique_ptr<TXbNode> left, std::unique_ptr<TXbNode> right)
        : TXbNode(TXbType::Character, width), left_(std::move(left)), right_(std::move(right)) {}
    TXbValue eval(const TXbEvalContext& context) const override { return textOf(*this, context); }
    void appendText(const TXbEvalContext& context, std::string& out) const override {
        left_->appendText(context, out);
        right_->appendText(context, out);
    }

private:
    std::unique_ptr<TXbNode> left_;
    std::unique_ptr<TXbNode> right_;
};

class TDtos final : public TXbNode {
public:
    explicit TDtos(std::unique_ptr<TXbNode> arg)
        : TXbNode(TXbType::Character, 8), arg_(std::move(arg)) {}
    TXbValue eval(const TXbEvalContext& context) const override { return textOf(*this, context); }
    void appendText(const TXbEvalContext& context, std::string& out) const override {
        out += arg_->eval(context).date.toDtos();
    }

private:
    std::unique_ptr<TXbNode> arg_;
};

class TNot final : public TXbNode {
public:
    explicit TNot(std::unique_ptr<TXbNode> arg)
        : TXbNode(TXbType::Logical, 1), arg_(std::move(arg)) {}
    TXbValue eval(const TXbEvalContext& context) const override {
        return TXbValue::ofLogical(test(context));
    }
    bool test(const TXbEvalContext& context) const override { return !arg_->test(context); }

private:
    std::unique_ptr<TXbNode> arg_;
};

class TDeleted final : public TXbNode {
public:
    TDeleted() : TXbNode(TXbType::Logical, 1) {}
    TXbValue eval(const TXbEvalContext& context) const override {
        return TXbValue::ofLogical(test(context));
    }
    bool test(const TXbEvalContext& context) const override {
        return context.record != nullptr && context.record[0] == '*';
    }
};

// An operator or function whose work is a small lambda over its operands.
class TApply final : public TXbNode {
public:
    TApply(TXbType type, int width, std::vector<TNode> args,
           std::function<TXbValue(const std::vector<TXbValue>&, const TXbEvalContext&)> fn)
        : TXbNode(type, width), args_(std::move(args)), fn_(std::move(fn)) {}
    TXbValue eval(const TXbEvalContext& context) const override {
        std::vector<TXbValue> values;
        values.reserve(args_.size());
        for (const TNode& arg : args_) {
            values.push_back(arg->eval(context));
        }
        return fn_(values, context);
    }

private:
    std::vector<TNode> args_;
    std::function<TXbValue(const std::vector<TXbValue>&, const TXbEvalContext&)> fn_;
};

// .AND. and .OR. stop at the first operand that decides the result.
class TLogic final : public TXbNode {
public:
    TLogic(bool isAnd, TNode left, TNode right)
        : TXbNode(TXbType::Logical, 1),
          isAnd_(isAnd),
          left_(std::move(left)),
          right_(std::move(right)) {}
    TXbValue eval(const TXbEvalContext& context) const override {
        return TXbValue::ofLogical(test(context));
    }
    bool test(const TXbEvalContext& context) const override {
        const bool l = left_->test(context);
        if (isAnd_ ? !l : l) {
            return l;
        }
        return right_->test(context);
    }

private:
    bool isAnd_;
    TNode left_;
    TNode right_;
};

int compareValues(const TXbValue& a, const TXbValue& b, bool exact) {
    switch (a.type) {
        case TXbType::Character:
            return xbCompareText(a.text, b.text, exact);
        case TXbType::Date: {
            const auto x = a.date.dayNumber();
            const auto y = b.date.dayNumber();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        case TXbType::Logical:
            return static_cast<int>(a.logical) - static_cast<int>(b.logical);
        case TXbType::Numeric:
            return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    }
    return 0;
}

bool isEmpty(const TXbValue& v) {
    switch (v.type) {
        case TXbType::Character:
            return v.text.find_first_not_of(' ') == std::string::npos;
        case TXbType::Date:
            return v.date.empty();
        case TXbType::Logical:
            return !v.logical;
        case TXbType::Numeric:
            return v.number == 0.0;
    }
    return true;
}

std::string formatNumber(double n, int width, int decimals) {
    char buf[512];
    const int len = std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, n);
    if (len < 0 || len > width) {
        return std::string(static_cast<std::size_t>(width), '*');  // xBase overflow marker
    }
    return buf;
}

class TParser {
    using V = const std::vector<TXbValue>&;
    using C = const TXbEvalContext&;

public:
    TParser(std::vector<TXbToken> tokens, const std::vector<TXbField>& fields)
        : tokens_(std::move(tokens)), fields_(fields) {}

    TNode parseAll() {
        TNode node = parseOr();
        if (peek().kind != TXbTokenKind::End) {
            failAt(peek(), "unexpected \"" + peek().text + "\"");
        }
        return node;
    }

private:
    const TXbToken& peek() const { return tokens_[pos_]; }
    const TXbToken& take() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }
    bool takeIf(TXbTokenKind kind) {
        if (peek().kind == kind) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool takeOperator(const char* text) {
        if (peek().kind == TXbTokenKind::Operator && peek().text == text) {
            ++pos_;
            return true;
        }
        return false;
    }
    [[noreturn]] void failAt(const TXbToken& token, const std::string& why) const {
        fail("Error at column " + std::to_string(token.position + 1) + ": " + why);
    }
    void expect(TXbTokenKind kind, const char* what) {
        if (!takeIf(kind)) {
            failAt(peek(), std::string("expected ") + what);
        }
    }

    struct TDepth {
        explicit TDepth(TParser& p) : parser(p) {
            if (++parser.depth_ > kMaxDepth) {
                fail("Expression nested too deeply");
            }
        }
        ~TDepth() { --parser.depth_; }
        TDepth(const TDepth&) = delete;
        TDepth& operator=(const TDepth&) = delete;
        TParser& parser;
    };

    static void need(const TXbNode& node, TXbType type, const std::string& where) {
        if (node.type() != type) {
            fail(where + " needs a " + xbTypeName(type) + " operand, not " +
                 xbTypeName(node.type()));
        }
    }

    TNode parseOr() {
        TDepth depth(*this);
        TNode left = parseAnd();
        while (peek().kind == TXbTokenKind::Or) {
            take();
            TNode right = parseAnd();
            need(*left, TXbType::Logical, ".OR.");
            need(*right, TXbType::Logical, ".OR.");
            left = std::make_unique<TLogic>(false, std::move(left), std::move(right));
        }
        return left;
    }

    TNode parseAnd() {
        TDepth depth(*this);
        TNode left = parseNot();
        while (peek().kind == TXbTokenKind::And) {
            take();
            TNode right = parseNot();
            need(*left, TXbType::Logical, ".AND.");
            need(*right, TXbType::Logical, ".AND.");
            left = std::make_unique<TLogic>(true, std::move(left), std::move(right));
        }
        return left;
    }

    TNode parseNot() {
        TDepth depth(*this);
        if (takeIf(TXbTokenKind::Not)) {
            TNode operand = parseNot();
            need(*operand, TXbType::Logical, ".NOT.");
            return std::make_unique<TNot>(std::move(operand));
        }
        return parseComparison();
    }

    TNode parseComparison() {
        TDepth depth(*this);
        TNode left = parseAdditive();
        if (peek().kind != TXbTokenKind::Operator) {
            return left;
        }
        const std::string op = peek().text;
        static const char* kComparisons[] = {"=", "==", "<>", "!=", "#", "<", ">", "<=", ">=", "$"};
        if (std::find_if(std::begin(kComparisons), std::end(kComparisons),
                         [&](const char* c) { return op == c; }) == std::end(kComparisons)) {
            return left;
        }
        const TXbToken& at = take();
        TNode right = parseAdditive();
        if (left->type() != right->type()) {
            failAt(at, "cannot compare " + std::string(xbTypeName(left->type())) + " with " +
                           xbTypeName(right->type()));
        }
        if (op == "$") {
            need(*left, TXbType::Character, "$");
            return apply2(
                TXbType::Logical, 1, std::move(left), std::move(right),
                [](const std::vector<TXbValue>& v, const TXbEvalContext&) {
                    return TXbValue::ofLogical(v[1].text.find(v[0].text) != std::string::npos);
                });
        }
        if (op == "==") {
            return apply2(TXbType::Logical, 1, std::move(left), std::move(right),
                          [](const std::vector<TXbValue>& v, const TXbEvalContext&) {
                              if (v[0].type == TXbType::Character) {
                                  return TXbValue::ofLogical(v[0].text == v[1].text);
                              }
                              return TXbValue::ofLogical(compareValues(v[0], v[1], true) == 0);
                          });
        }
        std::function<bool(int)> holds;
        if (op == "=") {
            holds = [](int c) { return c == 0; };
        } else if (op == "<>" || op == "!=" || op == "#") {
            holds = [](int c) { return c != 0; };
        } else if (op == "<") {
            holds = [](int c) { return c < 0; };
        } else if (op == ">") {
            holds = [](int c) { return c > 0; };
        } else if (op == "<=") {
            holds = [](int c) { return c <= 0; };
        } else {
            holds = [](int c) { return c >= 0; };
        }
        return apply2(TXbType::Logical, 1, std::move(left), std::move(right),
                      [holds](const std::vector<TXbValue>& v, const TXbEvalContext& context) {
                          const bool exact = context.env != nullptr && context.env->exact();
                          return TXbValue::ofLogical(holds(compareValues(v[0], v[1], exact)));
                      });
    }

    TNode parseAdditive() {
        TDepth depth(*this);
        TNode left = parseMultiplicative();
        while (peek().kind == TXbTokenKind::Operator &&
               (peek().text == "+" || peek().text == "-")) {
            const TXbToken& at = take();
            const bool plus = at.text == "+";
            TNode right = parseMultiplicative();
            left = plus ? makePlus(at, std::move(left), std::move(right))
                        : makeMinus(at, std::move(left), std::move(right));
        }
        return left;
    }

    TNode makePlus(const TXbToken& at, TNode left, TNode right) {
        const TXbType l = left->type();
        const TXbType r = right->type();
        if (l == TXbType::Character && r == TXbType::Character) {
            const int width = std::min(kMaxWidth, left->width() + right->width());
            return std::make_unique<TConcat>(width, std::move(left), std::move(right));
        }
        if (l == TXbType::Numeric && r == TXbType::Numeric) {
            return apply2(TXbType::Numeric, 0, std::move(left), std::move(right),
                          [](const std::vector<TXbValue>& v, const TXbEvalContext&) {
                              return TXbValue::ofNumber(v[0].number + v[1].number);
                          });
        }
        if ((l == TXbType::Date && r == TXbType::Numeric) ||
            (l == TXbType::Numeric && r == TXbType::Date)) {
            const bool dateFirst = l == TXbType::Date;
            return apply2(TXbType::Date, 8, std::move(left), std::move(right),
                          [dateFirst](const std::vector<TXbValue>& v, const TXbEvalContext&) {
                              const TXbValue& d = v[dateFirst ? 0 : 1];
                              const TXbValue& n = v[dateFirst ? 1 : 0];
                              if (d.date.empty() || !std::isfinite(n.number)) {
                                  return TXbValue::ofDate({});
                              }
                              const double days = std::trunc(n.number);
                              if (std::fabs(days) > 4e6) {
                                  return TXbValue::ofDate({});
                              }
                              return TXbValue::ofDate(TXbDate::fromDayNumber(
                                  d.date.dayNumber() + static_cast<std::int64_t>(days)));
                          });
        }
        failAt(at, std::string("cannot add ") + xbTypeName(r) + " to " + xbTypeName(l));
    }

    TNode makeMinus(const TXbToken& at, TNode left, TNode right) {
        const TXbType l = left->type();
        const TXbType r = right->type();
        if (l == TXbType::Numeric && r == TXbType::Numeric) {
            return apply2(TXbType::Numeric, 0, std::move(left), std::move(right),
                          [](const std::vector<TXbValue>& v, const TXbEvalContext&) {
                              return TXbValue::ofNumber(v[0].number - v[1].number);
                          });
        }
        if (l == TXbType::Character && r == TXbType::Character) {
            // xBase "-" on text moves the left side's trailing blanks to the end.
            const int width = std::min(kMaxWidth, left->width() + right->width());
            return apply2(TXbType::Character, width, std::move(left), std::move(right),
                          [](const std::vector<TXbValue>& v, const TXbEvalContext&) {
                              const std::string t = rtrim(v[0].text);
                              const std::size_t blanks = v[0].text.size() - t.size();
                              return TXbValue::character(t + v[1].text + std::string(blanks, ' '));
                          });
        }
        if (l == TXbType::Date && r == TXbType::Date) {
            return apply2(TXbType::Numeric, 0, std::move(left), std::move(right),
                          [](const std::vector<TXbValue>& v, const TXbEvalContext&) {
                              return TXbValue::ofNumber(static_cast<double>(v[0].date.dayNumber() -
                                                                            v[1].date.dayNumber()));
                          });
        }
        if (l == TXbType::Date && r == TXbType::Numeric) {
            return apply2(TXbType::Date, 8, std::move(left), std::move(right),
                          [](const std::vector<TXbValue>& v, const TXbEvalContext&) {
                              if (v[0].date.empty() || !std::isfinite(v[1].number) ||
                                  std::fabs(v[1].number) > 4e6) {
                                  return TXbValue::ofDate({});
                              }
                              return TXbValue::ofDate(TXbDate::fromDayNumber(
                                  v[0].date.dayNumber() -
                                  static_cast<std::int64_t>(std::trunc(v[1].number))));
                          });
        }
        failAt(at, std::string("cannot subtract ") + xbTypeName(r) + " from " + xbTypeName(l));
    }

    TNode parseMultiplicative() {
        TDepth depth(*this);
        TNode left = parseUnary();
        while (peek().kind == TXbTokenKind::Operator &&
               (peek().text == "*" || peek().text == "/")) {
            const bool times = take().text == "*";
            TNode right = parseUnary();
            need(*left, TXbType::Numeric, times ? "*" : "/");
            need(*right, TXbType::Numeric, times ? "*" : "/");
            left = apply2(
                TXbType::Numeric, 0, std::move(left), std::move(right),
                [times](const std::vector<TXbValue>& v, const TXbEvalContext&) {
                    if (times) {
                        return TXbValue::ofNumber(v[0].number * v[1].number);
                    }
                    return TXbValue::ofNumber(v[1].number == 0.0 ? 0.0 : v[0].number / v[1].number);
                });
        }
        return left;
    }

    TNode parseUnary() {
        TDepth depth(*this);
        if (takeOperator("-")) {
            TNode operand = parseUnary();
            need(*operand, TXbType::Numeric, "unary -");
            return apply(TXbType::Numeric, 0, {}, std::move(operand),
                         [](const std::vector<TXbValue>& v, const TXbEvalContext&) {
                             return TXbValue::ofNumber(-v[0].number);
                         });
        }
        if (takeOperator("+")) {
            TNode operand = parseUnary();
            need(*operand, TXbType::Numeric, "unary +");
            return operand;
        }
        return parsePrimary();
    }

    TNode parsePrimary() {
        TDepth depth(*this);
        const TXbToken& token = take();
        switch (token.kind) {
            case TXbTokenKind::String: {
                const int width =
                    static_cast<int>(std::min<std::size_t>(token.text.size(), kMaxWidth));
                return std::make_unique<TConstant>(TXbValue::character(token.text), width);
            }
            case TXbTokenKind::Number:
                return std::make_unique<TConstant>(
                    TXbValue::ofNumber(std::strtod(token.text.c_str(), nullptr)), 0);
            case TXbTokenKind::Logical:
                return std::make_unique<TConstant>(TXbValue::ofLogical(token.text == "T"), 1);
            case TXbTokenKind::LeftParen: {
                TNode inner = parseOr();
                expect(TXbTokenKind::RightParen, "\")\"");
                return inner;
            }
            case TXbTokenKind::Identifier:
                if (peek().kind == TXbTokenKind::LeftParen) {
                    take();
                    return parseCall(token);
                }
                return fieldRef(token);
            case TXbTokenKind::And:
            case TXbTokenKind::Or:
            case TXbTokenKind::Not:
            case TXbTokenKind::Operator:
            case TXbTokenKind::RightParen:
            case TXbTokenKind::Comma:
            case TXbTokenKind::End:
                break;
        }
        failAt(token, token.kind == TXbTokenKind::End ? "unexpected end of expression"
                                                      : "unexpected \"" + token.text + "\"");
    }

    TNode fieldRef(const TXbToken& token) {
        for (const TXbField& f : fields_) {
            if (f.name == token.text) {
                return std::make_unique<TFieldRef>(f);
            }
        }
        failAt(token, "unknown field " + token.text);
    }

    TNode parseCall(const TXbToken& name) {
        std::vector<TNode> args;
        if (!takeIf(TXbTokenKind::RightParen)) {
            do {
                args.push_back(parseOr());
            } while (takeIf(TXbTokenKind::Comma));
            expect(TXbTokenKind::RightParen, "\")\" after the arguments");
        }
        return makeCall(name, std::move(args));
    }

    void arity(const TXbToken& name, const std::vector<TNode>& args, std::size_t min,
               std::size_t max) const {
        if (args.size() < min || args.size() > max) {
            failAt(name, name.text + "() takes " + std::to_string(min) +
                             (min == max ? "" : " to " + std::to_string(max)) + " argument(s)");
        }
    }

    static bool isConstantNumber(const TNode& node, double& value) {
        auto* c = dynamic_cast<const TConstant*>(node.get());
        if (c == nullptr || c->type() != TXbType::Numeric) {
            return false;
        }
        value = c->eval(TXbEvalContext{}).number;
        return true;
    }

    TNode makeCall(const TXbToken& name, std::vector<TNode> args) {
        const std::string& fn = name.text;
        auto text1 = [&](TTextFn f) -> TNode {
            arity(name, args, 1, 1);
            need(*args[0], TXbType::Character, fn + "()");
            return std::make_unique<TTextFunction>(f, std::move(args[0]));
        };
        if (fn == "UPPER") {
            return text1(TTextFn::Upper);
        }
        if (fn == "LOWER") {
            return text1(TTextFn::Lower);
        }
        if (fn == "ALLTRIM") {
            return text1(TTextFn::AllTrim);
        }
        if (fn == "TRIM" || fn == "RTRIM") {
            return text1(TTextFn::RTrim);
        }
        if (fn == "LTRIM") {
            return text1(TTextFn::LTrim);
        }
        if (fn == "DTOS") {
            arity(name, args, 1, 1);
            need(*args[0], TXbType::Date, "DTOS()");
            return std::make_unique<TDtos>(std::move(args[0]));
        }
        if (fn == "DTOC") {
            arity(name, args, 1, 1);
            need(*args[0], TXbType::Date, "DTOC()");
            return applyN(TXbType::Character, 10, std::move(args), [](V v, C c) {
                TTableEnv defaults;
                return TXbValue::character(xbDateToText(v[0].date, c.env ? *c.env : defaults));
            });
        }
        if (fn == "CTOD") {
            arity(name, args, 1, 1);
            need(*args[0], TXbType::Character, "CTOD()");
            return applyN(TXbType::Date, 8, std::move(args), [](V v, C c) {
                TTableEnv defaults;
                return TXbValue::ofDate(xbTextToDate(v[0].text, c.env ? *c.env : defaults));
            });
        }
        if (fn == "EMPTY") {
            arity(name, args, 1, 1);
            return applyN(TXbType::Logical, 1, std::move(args),
                          [](V v, C) { return TXbValue::ofLogical(isEmpty(v[0])); });
        }
        if (fn == "DELETED") {
            arity(name, args, 0, 0);
            return std::make_unique<TDeleted>();
        }
        if (fn == "RECNO") {
            arity(name, args, 0, 0);
            return applyN(TXbType::Numeric, 0, std::move(args),
                          [](V, C c) { return TXbValue::ofNumber(c.recno); });
        }
        if (fn == "VAL") {
            arity(name, args, 1, 1);
            need(*args[0], TXbType::Character, "VAL()");
            return applyN(TXbType::Numeric, 0, std::move(args), [](V v, C) {
                const double n = std::strtod(v[0].text.c_str(), nullptr);
                return TXbValue::ofNumber(std::isfinite(n) ? n : 0.0);
            });
        }
        if (fn == "STR") {
            arity(name, args, 1, 3);
            need(*args[0], TXbType::Numeric, "STR()");
            double length = 10;
            double decimals = 0;
            if ((args.size() > 1 && !isConstantNumber(args[1], length)) ||
                (args.size() > 2 && !isConstantNumber(args[2], decimals))) {
                failAt(name, "STR() takes constant length and decimals");
            }
            if (length < 1 || length > 255 || decimals < 0 || decimals > 18) {
                failAt(name, "STR() length or decimals out of range");
            }
            const int w = static_cast<int>(length);
            const int d = static_cast<int>(decimals);
            args.resize(1);
            return applyN(TXbType::Character, w, std::move(args), [w, d](V v, C) {
                return TXbValue::character(formatNumber(v[0].number, w, d));
            });
        }
        if (fn == "SUBSTR") {
            arity(name, args, 2, 3);
            need(*args[0], TXbType::Character, "SUBSTR()");
            need(*args[1], TXbType::Numeric, "SUBSTR()");
            int width = args[0]->width();
            if (args.size() == 3) {
                need(*args[2], TXbType::Numeric, "SUBSTR()");
                double n = 0;
                if (isConstantNumber(args[2], n)) {
                    width = static_cast<int>(std::clamp(n, 0.0, static_cast<double>(kMaxWidth)));
                }
            }
            return applyN(TXbType::Character, width, std::move(args), [](V v, C) {
                const std::string& s = v[0].text;
                const double start = v[1].number;
                if (!(start >= 1) || start > static_cast<double>(s.size())) {
                    return TXbValue::character("");
                }
                const auto from = static_cast<std::size_t>(start) - 1;
                std::size_t count = s.size() - from;
                if (v.size() == 3) {
                    const double n = v[2].number;
                    count =
                        !(n > 0) ? 0 : std::min(count, static_cast<std::size_t>(std::min(n, 1e9)));
                }
                return TXbValue::character(s.substr(from, count));
            });
        }
        if (fn == "IIF") {
            arity(name, args, 3, 3);
            need(*args[0], TXbType::Logical, "IIF()");
            if (args[1]->type() != args[2]->type()) {
                failAt(name, "IIF() needs two results of the same type");
            }
            const TXbType type = args[1]->type();
            const int width = std::max(args[1]->width(), args[2]->width());
            return applyN(type, width, std::move(args),
                          [](V v, C) { return v[0].logical ? v[1] : v[2]; });
        }
        failAt(name, "unknown function " + fn + "()");
    }

    static TNode apply(TXbType type, int width, std::vector<TNode> args, TNode last,
                       std::function<TXbValue(V, C)> fn) {
        args.push_back(std::move(last));
        return std::make_unique<TApply>(type, width, std::move(args), std::move(fn));
    }
    static TNode apply2(TXbType type, int width, TNode a, TNode b,
                        std::function<TXbValue(V, C)> fn) {
        std::vector<TNode> args;
        args.push_back(std::move(a));
        args.push_back(std::move(b));
        return std::make_unique<TApply>(type, width, std::move(args), std::move(fn));
    }
    static TNode applyN(TXbType type, int width, std::vector<TNode> args,
                        std::function<TXbValue(V, C)> fn) {
        return std::make_unique<TApply>(type, width, std::move(args), std::move(fn));
    }

    std::vector<TXbToken> tokens_;
    const std::vector<TXbField>& fields_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

}  // namespace

int xbCompareText(std::string_view left, std::string_view right, bool exact) {
    if (!exact && left.size() > right.size()) {
        left = left.substr(0, right.size());
    }
    const std::size_t n = std::max(left.size(), right.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto a = static_cast<unsigned char>(i < left.size() ? left[i] : ' ');
        const auto b = static_cast<unsigned char>(i < right.size() ? right[i] : ' ');
        if (a != b) {
            return a < b ? -1 : 1;
        }
    }
    return 0;
}

TXbDate xbTextToDate(std::string_view text, const TTableEnv& env) {
    int numbers[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = 0;
    bool inNumber = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (!inNumber && digits[part] > 0) {
                if (++part > 2) {
                    return {};
                }
            }
            inNumber = true;
            if (++digits[part] > 4) {
                return {};
            }
            numbers[part] = numbers[part] * 10 + (c - '0');
        } else {
            inNumber = false;
        }
    }
    if (part != 2 || digits[2] == 0) {
        return {};
    }
    int y = 0;
    int m = 0;
    int d = 0;
    int yearDigits = 0;
    switch (env.dateFormat()) {
        case TXbDateFormat::American:
            m = numbers[0], d = numbers[1], y = numbers[2], yearDigits = digits[2];
            break;
        case TXbDateFormat::British:
        case TXbDateFormat::German:
            d = numbers[0], m = numbers[1], y = numbers[2], yearDigits = digits[2];
            break;
        case TXbDateFormat::Ansi:
        case TXbDateFormat::Japan:
            y = numbers[0], m = numbers[1], d = numbers[2], yearDigits = digits[0];
            break;
    }
    if (yearDigits <= 2) {
        const int epoch = env.epoch();
        y += epoch / 100 * 100;
        if (y < epoch) {
            y += 100;
        }
    }
    if (!TXbDate::valid(y, m, d)) {
        return {};
    }
    return {y, m, d};
}

std::string xbDateToText(const TXbDate& date, const TTableEnv& env) {
    const bool century = env.century();
    char sep = '/';
    int a = date.month;
    int b = date.day;
    bool yearFirst = false;
    switch (env.dateFormat()) {
        case TXbDateFormat::American:
            break;
        case TXbDateFormat::British:
            a = date.day, b = date.month;
            break;
        case TXbDateFormat::German:
            a = date.day, b = date.month, sep = '.';
            break;
        case TXbDateFormat::Ansi:
            yearFirst = true, sep = '.';
            break;
        case TXbDateFormat::Japan:
            yearFirst = true;
            break;
    }
    if (date.empty()) {
        std::string blank = yearFirst ? (century ? "    " : "  ") + std::string(1, sep) + "  " +
                                            std::string(1, sep) + "  "
                                      : "  " + std::string(1, sep) + "  " + std::string(1, sep) +
                                            (century ? "    " : "  ");
        return blank;
    }
    char buf[32];
    const int year = century ? date.year : date.year % 100;
    if (yearFirst) {
        std::snprintf(buf, sizeof buf, century ? "%04d%c%02d%c%02d" : "%02d%c%02d%c%02d", year, sep,
                      date.month, sep, date.day);
    } else {
        std::snprintf(buf, sizeof buf, century ? "%02d%c%02d%c%04d" : "%02d%c%02d%c%02d", a, sep, b,
                      sep, year);
    }
    return buf;
}

TXbExpression TXbExpression::compile(std::string_view text, const std::vector<TXbField>& fields) {
    if (text.size() > kMaxTextLength) {
        fail("Expression longer than " + std::to_string(kMaxTextLength) + " characters");
    }
    if (text.find_first_not_of(" \t") == std::string_view::npos) {
        fail("Empty expression");
    }
    TParser parser(xbTokenize(text), fields);
    TXbExpression e;
    e.text_ = std::string(text);
    e.root_ = parser.parseAll();
    return e;
}

TXbType TXbExpression::type() const {
    return root_ ? root_->type() : TXbType::Logical;
}

int TXbExpression::width() const {
    return root_ ? root_->width() : 0;
}

TXbValue TXbExpression::evaluate(const TXbEvalContext& context) const {
    if (!root_) {
        return TXbValue::ofLogical(true);
    }
    return root_->eval(context);
}

bool TXbExpression::test(const TXbEvalContext& context) const {
    if (!root_) {
        return true;
    }
    return root_->type() == TXbType::Logical && root_->test(context);
}

void TXbExpression::appendText(const TXbEvalContext& context, std::string& out) const {
    if (root_ && root_->type() == TXbType::Character) {
        root_->appendText(context, out);
    }
}

}  // namespace px
