// Reading the host's command line: the screensaver's one-letter modes and the daemon's options.
#include "command_line.h"
#include "say.h"

#include "behaviour_keys.h"

#include <climits>

#include <QMap>

namespace {

// A decimal window handle as the command line gives it: leading digits, 0 when there are none.
unsigned long Decimal_Handle(const QString& text)
{
    unsigned long value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') break;
        const unsigned long digit = static_cast<unsigned long>(c.unicode() - u'0');
        if (value > (ULONG_MAX - digit) / 10) return 0;   // more digits than a handle can hold
        value = value * 10 + digit;
    }
    return value;
}

// "--name" or "-name" without its dashes; empty for anything else.
QString Option_Name(const QString& arg)
{
    if (arg.startsWith(u"--")) return arg.mid(2);
    if (arg.startsWith(u'-')) return arg.mid(1);
    return {};
}

// A number option's value at args[i + 1], within the key's range.
Outcome Read_Hack_Number(const QStringList& args, qsizetype& i, const Behaviour_Key& key, QMap<QString, int>& values)
{
    const QString& arg = args.at(i);
    const QString range = QStringLiteral("%1 takes a whole number from %2 to %3").arg(arg).arg(key.Low).arg(key.High);
    if (i + 1 >= args.size()) return Failed_With(range);
    const QString text = args.at(++i);
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < key.Low || value > key.High) return Failed_With(range + QStringLiteral(", not \"%1\"").arg(text));
    values[key.Name] = value;
    return Succeeded();
}

// A choice option's word at args[i + 1], the key's value by its place.
Outcome Read_Hack_Choice(const QStringList& args, qsizetype& i, const Behaviour_Key& key, QMap<QString, int>& values)
{
    const QString& arg = args.at(i);
    const QString text = i + 1 < args.size() ? args.at(i + 1) : QString();
    for (int value = key.Low; value <= key.High; ++value) {
        if (text != QLatin1String(key.Words[value])) continue;
        ++i;
        values[key.Name] = value;
        return Succeeded();
    }
    QString error = QStringLiteral("%1 takes %2, %3 or %4").arg(arg, key.Words[0], key.Words[1], key.Words[2]);
    if (!text.isEmpty()) error += QStringLiteral(", not \"%1\"").arg(text);
    return Failed_With(error);
}

// Reads one hack option at args[i] (moving i past a value) into values, keyed by behaviour key;
// not Ok, with the reason, when it is not one.
Outcome Read_Hack_Option(const QStringList& args, qsizetype& i, QMap<QString, int>& values)
{
    const QString& arg = args.at(i);
    const QString name = Option_Name(arg);
    for (const Behaviour_Key& key : Behaviour_Keys) {
        if (!key.Hack_Option) continue;
        const QLatin1String option(key.Hack_Option);
        if (key.Kind == Behaviour_Kind::Switch) {
            if (name == option) return values[key.Name] = 1, Succeeded();
            if (name == QStringLiteral("no-") + option) return values[key.Name] = 0, Succeeded();
            continue;
        }
        if (name != option) continue;
        return key.Kind == Behaviour_Kind::Number ? Read_Hack_Number(args, i, key, values)
                                                  : Read_Hack_Choice(args, i, key, values);
    }
    return Failed_With(QStringLiteral("unknown option \"%1\" (the hack takes --fps, --clock, --music, --sound, --vsync, their "
                           "--no- forms, --music-volume, --sound-volume, --speed, --jump-interval and --battery)").arg(arg));
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

// A window id as XSCREENSAVER_WINDOW and --window-id give it (decimal or 0x hexadecimal); 0 when
// it is not one.
static unsigned long Parse_Window_Id(const QString& text)
{
    bool ok = false;
    const QString t = text.trimmed();
    const unsigned long id = t.startsWith(u"0x", Qt::CaseInsensitive) ? t.mid(2).toULong(&ok, 16) : t.toULong(&ok, 10);
    return ok ? id : 0;
}

Result<std::optional<Hack_Request>> Read_Hack_Request(const QStringList& args, const QString& environment_window,
                                                      bool run_mode)
{
    bool root = false, pane = false;
    QString window_id = environment_window;
    Outcome option = Succeeded();   // reported only when this is a hack request after all
    QMap<QString, int> values;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == u"--root" || a == u"-root") {
            root = true;
        } else if (a == u"--window-id" || a == u"-window-id") {
            if (i + 1 >= args.size()) return Failed_With(QStringLiteral("%1 needs a window id").arg(a));
            window_id = args.at(++i);
            root = pane = true;
        } else if (a.startsWith(u'-') && a.size() > 2 && option.Ok) {
            option = Read_Hack_Option(args, i, values);
        }
    }
    // Without the daemon's arguments, a mode of our own (/c, /p, /a) keeps its meaning.
    if (!root && (window_id.isEmpty() || !run_mode)) return Succeeded();
    if (window_id.isEmpty()) return Failed("--root needs XSCREENSAVER_WINDOW or --window-id");
    if (!option.Ok) return option;
    const unsigned long id = Parse_Window_Id(window_id);
    if (id == 0) return Failed_With(QStringLiteral("\"%1\" is not a window id").arg(window_id));
    QStringList settings;
    for (auto v = values.cbegin(); v != values.cend(); ++v) settings << v.key() + u'=' + QString::number(v.value());
    return {Succeeded(), Hack_Request{id, pane, settings.join(u';')}};
}
