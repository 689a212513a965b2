// A minimal test runner for the host tests, with GoogleTest's spelling for
// the handful of macros they use. GoogleTest itself does not build with
// Debian's mingw-w64 (its win32 thread model has no std::mutex, which
// GoogleTest needs on Windows), and these tests need nothing more.
//
// TEST(Group, Name) / TEST_F(Fixture, Name), EXPECT_* (record and go on),
// ASSERT_* (record and leave the test), ADD_FAILURE(), SCOPED_TRACE(text),
// GTEST_SKIP(); each takes a message with <<. The runner prints one line per
// test and "N passed, N failed, N skipped".
#pragma once

#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace check {

// Values in failure messages: what << prints, texts in quotes, UTF-16 texts
// and lists element by element.
template <typename T, typename = void>
struct Printable : std::false_type {};
template <typename T>
struct Printable<T, std::void_t<decltype(std::declval<std::ostream&>() << std::declval<const T&>())>>
    : std::true_type {};

inline void Print(std::ostream& out, const std::string& s) { out << '"' << s << '"'; }
inline void Print(std::ostream& out, const char* s) { out << '"' << (s ? s : "(null)") << '"'; }
inline void Print(std::ostream& out, const std::u16string& s) {
    out << "u\"";
    for (char16_t c : s) {
        if (c >= 0x20 && c < 0x7F) {
            out << static_cast<char>(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%04X", static_cast<unsigned>(c));
            out << buffer;
        }
    }
    out << '"';
}
template <typename T>
void Print(std::ostream& out, const std::vector<T>& v) {
    out << "{";
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i) out << ", ";
        Print(out, v[i]);
    }
    out << "}";
}
template <typename T>
void Print(std::ostream& out, const T& v) {
    if constexpr (std::is_same_v<T, unsigned char> || std::is_same_v<T, signed char>) {
        out << static_cast<int>(v);
    } else if constexpr (Printable<T>::value) {
        out << v;
    } else {
        out << "(a value)";
    }
}
template <typename T>
std::string Show(const T& v) {
    std::ostringstream out;
    Print(out, v);
    return out.str();
}

struct Message {
    std::ostringstream text;
    Message() = default;
    Message(const Message& other) { text << other.text.str(); }
    template <typename T>
    Message& operator<<(const T& v) {
        text << v;
        return *this;
    }
};

// The state of the running test.
struct Current {
    bool failed = false;
    bool skipped = false;
    int checks = 0;  // checks made; a test that passes without one fails
    std::vector<std::string> traces;
};
Current& Now();
inline bool Counted(bool outcome) {
    ++Now().checks;
    return outcome;
}
void Report(const char* file, int line, const std::string& what, const std::string& message);

struct Failure {
    const char* file;
    int line;
    std::string what;
    // Records the failure with its message.
    void operator=(const Message& message) const { Report(file, line, what, message.text.str()); }
};
struct Skip {
    void operator=(const Message& message) const;
};

class ScopedTrace {
public:
    template <typename T>
    ScopedTrace(const char* file, int line, const T& what) {
        std::ostringstream out;
        out << file << ":" << line << ": " << what;
        Now().traces.push_back(out.str());
    }
    ~ScopedTrace() { Now().traces.pop_back(); }
    ScopedTrace(const ScopedTrace&) = delete;
    ScopedTrace& operator=(const ScopedTrace&) = delete;
};

template <typename A, typename B, typename Op>
bool Compare(const A& a, const B& b, Op op, const char* text, std::string* what) {
    if (op(a, b)) return true;
    *what = std::string(text) + "\n    left:  " + Show(a) + "\n    right: " + Show(b);
    return false;
}

inline bool FloatEq(float a, float b) {
    return a == b || std::fabs(a - b) <= 4 * 1.1920929e-7f * std::fmax(std::fabs(a), std::fabs(b));
}

}  // namespace check

namespace testing {
class Test {
public:
    virtual ~Test() = default;
    virtual void SetUp() {}
    virtual void TearDown() {}
    virtual void TestBody() = 0;
};
}  // namespace testing

namespace check {
bool Register(const char* group, const char* name, std::function<::testing::Test*()> make);
}

#define CHECK_CAT2_(a, b) a##b
#define CHECK_CAT_(a, b) CHECK_CAT2_(a, b)

#define TEST_F(fixture, name)                                                           \
    class fixture##_##name##_Test : public fixture {                                    \
    public:                                                                             \
        void TestBody() override;                                                       \
    };                                                                                  \
    static const bool fixture##_##name##_registered = ::check::Register(                \
        #fixture, #name, [] { return static_cast<::testing::Test*>(new fixture##_##name##_Test); }); \
    void fixture##_##name##_Test::TestBody()
#define TEST(group, name)                                                               \
    class group##_##name##_Test : public ::testing::Test {                              \
    public:                                                                             \
        void TestBody() override;                                                       \
    };                                                                                  \
    static const bool group##_##name##_registered = ::check::Register(                  \
        #group, #name, [] { return static_cast<::testing::Test*>(new group##_##name##_Test); }); \
    void group##_##name##_Test::TestBody()

#define CHECK_FAIL_(what) ::check::Failure{__FILE__, __LINE__, (what)} = ::check::Message()

#define CHECK_BOOL_(cond, text, on_fail)                            \
    if (::check::Counted(static_cast<bool>(cond))) {                \
    } else                                                          \
        on_fail CHECK_FAIL_(std::string("expected: ") + (text))
#define CHECK_CMP_(a, b, op, text, on_fail)                                                   \
    if (std::string check_what_; ::check::Counted(::check::Compare(                           \
            (a), (b), [&](const auto& x, const auto& y) { return op; }, (text), &check_what_))) { \
    } else                                                                                    \
        on_fail CHECK_FAIL_(check_what_)

#define CHECK_GO_ON_
#define CHECK_LEAVE_ return

#define EXPECT_TRUE(c) CHECK_BOOL_((c), #c, CHECK_GO_ON_)
#define EXPECT_FALSE(c) CHECK_BOOL_(!(c), "!(" #c ")", CHECK_GO_ON_)
#define ASSERT_TRUE(c) CHECK_BOOL_((c), #c, CHECK_LEAVE_)
#define ASSERT_FALSE(c) CHECK_BOOL_(!(c), "!(" #c ")", CHECK_LEAVE_)
#define EXPECT_EQ(a, b) CHECK_CMP_(a, b, x == y, #a " == " #b, CHECK_GO_ON_)
#define EXPECT_NE(a, b) CHECK_CMP_(a, b, x != y, #a " != " #b, CHECK_GO_ON_)
#define EXPECT_LT(a, b) CHECK_CMP_(a, b, x < y, #a " < " #b, CHECK_GO_ON_)
#define EXPECT_LE(a, b) CHECK_CMP_(a, b, x <= y, #a " <= " #b, CHECK_GO_ON_)
#define EXPECT_GT(a, b) CHECK_CMP_(a, b, x > y, #a " > " #b, CHECK_GO_ON_)
#define EXPECT_GE(a, b) CHECK_CMP_(a, b, x >= y, #a " >= " #b, CHECK_GO_ON_)
#define ASSERT_EQ(a, b) CHECK_CMP_(a, b, x == y, #a " == " #b, CHECK_LEAVE_)
#define ASSERT_NE(a, b) CHECK_CMP_(a, b, x != y, #a " != " #b, CHECK_LEAVE_)
#define EXPECT_FLOAT_EQ(a, b) \
    CHECK_CMP_(static_cast<float>(a), static_cast<float>(b), ::check::FloatEq(x, y), #a " == " #b, CHECK_GO_ON_)
#define EXPECT_NEAR(a, b, d)                                                                 \
    CHECK_CMP_(static_cast<double>(a), static_cast<double>(b),                               \
               std::fabs(x - y) <= (d), #a " within " #d " of " #b, CHECK_GO_ON_)
#define ASSERT_NO_THROW(statement)                                                           \
    if (std::string check_thrown_ = [&]() -> std::string {                                   \
            try {                                                                            \
                statement;                                                                   \
            } catch (const std::exception& e) {                                              \
                return e.what();                                                             \
            } catch (...) {                                                                  \
                return "an exception";                                                       \
            }                                                                                \
            return {};                                                                       \
        }();                                                                                 \
        ::check::Counted(check_thrown_.empty())) {                                           \
    } else                                                                                   \
        return CHECK_FAIL_(#statement " threw: " + check_thrown_)
#define ADD_FAILURE() CHECK_FAIL_("failure")
#define SCOPED_TRACE(what) ::check::ScopedTrace CHECK_CAT_(check_trace_, __LINE__)(__FILE__, __LINE__, (what))
#define GTEST_SKIP() return ::check::Skip{} = ::check::Message()
