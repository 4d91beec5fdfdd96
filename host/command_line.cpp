// Reading the host's command line: the screensaver's one-letter modes and the daemon's options.
#include "command_line.h"

namespace {

// A decimal window handle as the command line gives it: leading digits, 0 when there are none.
unsigned long Decimal_Handle(const QString& text)
{
    unsigned long value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') break;
        unsigned long next = value * 10 + static_cast<unsigned long>(c.unicode() - u'0');
        if (next < value) return 0;   // more digits than a handle can hold
        value = next;
    }
    return value;
}

}  // namespace

Command_Line Read_Command_Line(const QStringList& args)
{
    Command_Line line;
    const QString second = args.size() > 1 ? args.at(1) : QString();
    line.Preview_Window = second.isEmpty() ? 0 : Decimal_Handle(second);

    QString first = args.isEmpty() ? QString() : args.at(0);
    if (first.size() > 1) first = first.mid(1, 1);   // "/c", "-c" and "/c:1234" all give "c"
    switch (first.size() == 1 ? first.at(0).unicode() : 0) {
    case u'a': case u'A': line.Mode = Host_Mode::Password; break;
    case u'c': case u'C': case u'r': case u'R': line.Mode = Host_Mode::Settings; break;
    case u'p': case u'P': line.Mode = Host_Mode::Preview; break;
    default: line.Mode = Host_Mode::Run; break;
    }
    return line;
}

unsigned long Parse_Window_Id(const QString& text)
{
    bool ok = false;
    const QString t = text.trimmed();
    const unsigned long id = t.startsWith(u"0x", Qt::CaseInsensitive) ? t.mid(2).toULong(&ok, 16) : t.toULong(&ok, 10);
    return ok ? id : 0;
}

std::optional<Hack_Request> Read_Hack_Request(const QStringList& args, const QString& environment_window,
                                              bool run_mode, QString* error)
{
    bool root = false;
    QString window_id = environment_window;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == u"--root" || a == u"-root") {
            root = true;
        } else if (a == u"--window-id" || a == u"-window-id") {
            if (i + 1 >= args.size()) {
                if (error) *error = QStringLiteral("%1 needs a window id").arg(a);
                return std::nullopt;
            }
            window_id = args.at(++i);
            root = true;
        }
    }
    // Without the daemon's arguments, a mode of our own (/c, /p, /a) keeps its meaning.
    if (!root && (window_id.isEmpty() || !run_mode)) return std::nullopt;
    if (window_id.isEmpty()) {
        if (error) *error = QStringLiteral("--root needs XSCREENSAVER_WINDOW or --window-id");
        return std::nullopt;
    }
    const unsigned long id = Parse_Window_Id(window_id);
    if (id == 0) {
        if (error) *error = QStringLiteral("\"%1\" is not a window id").arg(window_id);
        return std::nullopt;
    }
    return Hack_Request{QStringLiteral("0x") + QString::number(id, 16)};
}
