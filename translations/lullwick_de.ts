<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>Metadata</name>
    <message>
        <source>Clap to Sleep</source>
        <translation>Standby per Klatschen</translation>
    </message>
    <message>
        <source>Clap twice to put the computer to sleep</source>
        <translation>Zweimal klatschen, um den Computer in den Standby zu versetzen</translation>
    </message>
    <message>
        <source>sleep;suspend;clap;microphone;</source>
        <extracomment>Search words, each ending in a semicolon; not translated one by one.</extracomment>
        <translation>Standby;Bereitschaft;Schlafen;klatschen;Mikrofon;</translation>
    </message>
    <message>
        <source>Lullwick lives in the system tray and listens to the default microphone. When it hears a double clap, two short sharp claps a moment apart, it asks for confirmation with a card that counts down from ten, or puts the computer to sleep at once, as you choose. While a video is playing the card cancels itself, so that applause in a film never stops the film.</source>
        <translation>Lullwick wohnt in der Systemleiste und hört auf das Standardmikrofon. Hört es ein doppeltes Klatschen, zwei kurze, kräftige Klatscher kurz nacheinander, bittet es mit einer Karte, die von zehn herunterzählt, um Bestätigung oder versetzt den Computer sofort in den Standby, ganz wie Sie es wählen. Während ein Video läuft, bricht sich die Karte selbst ab, damit Applaus in einem Film nie den Film anhält.</translation>
    </message>
    <message>
        <source>Listening can be limited to daily listening hours; outside them, and whenever listening is switched off, the microphone is fully closed. A setup assistant walks through the microphone, the sleep behaviour, the listening hours and a practice clap.</source>
        <translation>Das Zuhören lässt sich auf tägliche Zuhörzeiten beschränken; außerhalb davon, und immer wenn das Zuhören ausgeschaltet ist, ist das Mikrofon ganz geschlossen. Ein Einrichtungsassistent führt durch das Mikrofon, das Standby-Verhalten, die Zuhörzeiten und ein Probeklatschen.</translation>
    </message>
    <message>
        <source>Permissions it needs:</source>
        <translation>Berechtigungen, die es braucht:</translation>
    </message>
    <message>
        <source>The microphone, and only after you allowed it in Lullwick&apos;s own question. Audio is analysed in memory, 1024 samples at a time, and never recorded, stored or sent anywhere.</source>
        <translation>Das Mikrofon, und erst nachdem Sie es in Lullwicks eigener Frage erlaubt haben. Der Ton wird im Speicher ausgewertet, 1024 Samples auf einmal, und nie aufgenommen, gespeichert oder irgendwohin gesendet.</translation>
    </message>
    <message>
        <source>Putting the computer to sleep, which it asks of the system (systemd or elogind).</source>
        <translation>Den Computer in den Standby versetzen, worum es das System bittet (systemd oder elogind).</translation>
    </message>
    <message>
        <source>Reading the desktop&apos;s lists of programs that keep the screen awake, to tell a film.</source>
        <translation>Die Listen der Arbeitsumgebung mit Programmen lesen, die den Bildschirm wach halten, um einen Film zu erkennen.</translation>
    </message>
    <message>
        <source>Starting at login, only when you switch that on.</source>
        <translation>Beim Anmelden starten, nur wenn Sie das einschalten.</translation>
    </message>
    <message>
        <source>The commands lullwick analyze and lullwick listen show what the clap detector hears in a sound file or from the microphone.</source>
        <translation>Die Befehle lullwick analyze und lullwick listen zeigen, was die Klatscherkennung in einer Tondatei oder vom Mikrofon hört.</translation>
    </message>
</context>
<context>
    <name>lullwick::AppState</name>
    <message>
        <source>Microphone access needed</source>
        <translation>Mikrofonzugriff erforderlich</translation>
    </message>
    <message>
        <source>Run the Setup Assistant to start</source>
        <translation>Zum Start den Einrichtungsassistenten ausführen</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>Pausiert</translation>
    </message>
    <message>
        <source>Off schedule — no hours set</source>
        <translation>Außerhalb der Zuhörzeiten – keine festgelegt</translation>
    </message>
    <message>
        <source>Off schedule — resumes at %1</source>
        <translation>Außerhalb der Zuhörzeiten – weiter um %1</translation>
    </message>
    <message>
        <source>Listening for 👏👏</source>
        <translation>Lauscht auf 👏👏</translation>
    </message>
    <message>
        <source>Starting microphone…</source>
        <translation>Mikrofon wird gestartet&#xa0;…</translation>
    </message>
</context>
<context>
    <name>lullwick::BehaviorPage</name>
    <message>
        <source>How It Sleeps</source>
        <translation>So geht es in den Standby</translation>
    </message>
    <message>
        <source>Clap twice, sharply, about half a second apart.</source>
        <translation>Klatschen Sie zweimal kurz und kräftig, mit etwa einer halben Sekunde Abstand.</translation>
    </message>
    <message>
        <source>Always Ask Before Sleeping</source>
        <translation>Vor dem Standby immer nachfragen</translation>
    </message>
    <message>
        <source>Ask Only While a Video Is Playing</source>
        <translation>Nur nachfragen, während ein Video läuft</translation>
    </message>
    <message>
        <source>The confirmation counts down 10 seconds, then sleeps by itself — clapping from across the room still works. Press Esc to cancel.</source>
        <translation>Die Bestätigung zählt 10 Sekunden herunter und wechselt dann von selbst in den Standby – Klatschen vom anderen Ende des Raums klappt trotzdem. Mit Esc brechen Sie ab.</translation>
    </message>
    <message>
        <source>If a video is playing (YouTube, Netflix, VLC…), Lullwick always asks and auto-cancels instead — applause in a movie will never stop your film.</source>
        <translation>Läuft ein Video (YouTube, Netflix, VLC&#xa0;…), fragt Lullwick immer nach und bricht stattdessen von selbst ab – Applaus in einem Film hält Ihren Film nie an.</translation>
    </message>
</context>
<context>
    <name>lullwick::ConfirmationPanelController</name>
    <message>
        <source>Lullwick: Sleep?</source>
        <translation>Lullwick: Standby?</translation>
    </message>
</context>
<context>
    <name>lullwick::ConfirmationView</name>
    <message>
        <source>Clap-clap detected</source>
        <translation>Klatsch-klatsch erkannt</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Sleep Anyway</source>
        <translation>Trotzdem in den Standby</translation>
    </message>
    <message>
        <source>Sleep Now</source>
        <translation>Jetzt in den Standby</translation>
    </message>
    <message numerus="yes">
        <source>A video is playing — ignoring in %ns unless you confirm.</source>
        <translation>
            <numerusform>Ein Video läuft – in %n&#xa0;Sekunde wird das Klatschen ignoriert, außer Sie bestätigen.</numerusform>
            <numerusform>Ein Video läuft – in %n&#xa0;Sekunden wird das Klatschen ignoriert, außer Sie bestätigen.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Going to sleep in %ns…</source>
        <translation>
            <numerusform>Standby in %n&#xa0;Sekunde&#xa0;…</numerusform>
            <numerusform>Standby in %n&#xa0;Sekunden&#xa0;…</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>lullwick::GoodNightPanelController</name>
    <message>
        <source>Lullwick: Good night</source>
        <translation>Lullwick: Gute Nacht</translation>
    </message>
</context>
<context>
    <name>lullwick::GoodNightView</name>
    <message>
        <source>Good night!</source>
        <translation>Gute Nacht!</translation>
    </message>
</context>
<context>
    <name>lullwick::ListeningHoursPage</name>
    <message>
        <source>Listening Hours</source>
        <translation>Zuhörzeiten</translation>
    </message>
    <message>
        <source>Keep the mic off except when you actually use Lullwick —
around bedtime, a lunch break, whenever suits you.</source>
        <translation>Das Mikrofon bleibt aus, außer wenn Sie Lullwick wirklich brauchen –
zur Schlafenszeit, in der Mittagspause, wann immer es passt.</translation>
    </message>
    <message>
        <source>Listen only during scheduled hours</source>
        <translation>Nur zu festgelegten Zeiten zuhören</translation>
    </message>
    <message>
        <source>No hours yet — add a window below.</source>
        <translation>Noch keine Zeiten – fügen Sie unten welche hinzu.</translation>
    </message>
    <message>
        <source>Add Hours</source>
        <translation>Zeiten hinzufügen</translation>
    </message>
    <message>
        <source>Windows can cross midnight (9:00 PM – 7:00 AM) and you can add several — e.g. a lunch nap from 12:00 to 2:00 PM.</source>
        <translation>Zeiträume dürfen über Mitternacht gehen (21:00 – 07:00), und Sie können mehrere anlegen – z. B. ein Mittagsschläfchen von 12:00 bis 14:00.</translation>
    </message>
    <message>
        <source>Outside these hours the microphone is completely off and the tray icon becomes a moon.</source>
        <translation>Außerhalb dieser Zeiten ist das Mikrofon ganz aus, und das Symbol in der Systemleiste wird zum Mond.</translation>
    </message>
</context>
<context>
    <name>lullwick::LullwickApp</name>
    <message>
        <source>Lullwick has no tray icon</source>
        <translation>Lullwick hat kein Symbol in der Systemleiste</translation>
    </message>
    <message>
        <source>This desktop shows no tray icons, so Lullwick&apos;s menu cannot appear. On GNOME, install and enable the extension “AppIndicator and KStatusNotifierItem Support”.</source>
        <translation>Diese Arbeitsumgebung zeigt keine Symbole in der Systemleiste, daher kann das Menü von Lullwick nicht erscheinen. Installieren und aktivieren Sie unter GNOME die Erweiterung „AppIndicator and KStatusNotifierItem Support“.</translation>
    </message>
    <message>
        <source>Lullwick</source>
        <translation>Lullwick</translation>
    </message>
</context>
<context>
    <name>lullwick::MenuContent</name>
    <message>
        <source>Listen for Double Clap</source>
        <translation>Auf doppeltes Klatschen hören</translation>
    </message>
    <message>
        <source>Only During Scheduled Hours</source>
        <translation>Nur zu festgelegten Zeiten</translation>
    </message>
    <message>
        <source>Edit Listening Hours…</source>
        <translation>Zuhörzeiten bearbeiten&#xa0;…</translation>
    </message>
    <message>
        <source>Allow Microphone Access…</source>
        <translation>Mikrofonzugriff erlauben&#xa0;…</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Bestätigung</translation>
    </message>
    <message>
        <source>Always Ask Before Sleeping</source>
        <translation>Vor dem Standby immer nachfragen</translation>
    </message>
    <message>
        <source>Ask Only While a Video Is Playing</source>
        <translation>Nur nachfragen, während ein Video läuft</translation>
    </message>
    <message>
        <source>Sensitivity</source>
        <translation>Empfindlichkeit</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <source>Medium</source>
        <translation>Mittel</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>Setup Assistant…</source>
        <translation>Einrichtungsassistent&#xa0;…</translation>
    </message>
    <message>
        <source>Sleep Now</source>
        <translation>Jetzt in den Standby</translation>
    </message>
    <message>
        <source>Start at Login</source>
        <translation>Beim Anmelden starten</translation>
    </message>
    <message>
        <source>Quit Lullwick</source>
        <translation>Lullwick beenden</translation>
    </message>
</context>
<context>
    <name>lullwick::MicrophonePage</name>
    <message>
        <source>Microphone Access</source>
        <translation>Mikrofonzugriff</translation>
    </message>
    <message>
        <source>Lullwick needs the microphone to hear your claps.</source>
        <translation>Lullwick braucht das Mikrofon, um Ihr Klatschen zu hören.</translation>
    </message>
    <message>
        <source>Audio is analyzed live, in memory — nothing is ever recorded or stored.</source>
        <translation>Der Ton wird live im Speicher ausgewertet – nichts wird je aufgenommen oder gespeichert.</translation>
    </message>
    <message>
        <source>Your desktop may show a microphone indicator whenever Lullwick is listening — that&apos;s normal.</source>
        <translation>Ihre Arbeitsumgebung zeigt vielleicht eine Mikrofonanzeige, solange Lullwick zuhört – das ist normal.</translation>
    </message>
    <message>
        <source>On the next steps you can set listening hours, so the mic isn&apos;t on all the time.</source>
        <translation>In den nächsten Schritten können Sie Zuhörzeiten festlegen, damit das Mikrofon nicht ständig an ist.</translation>
    </message>
    <message>
        <source>Microphone enabled</source>
        <translation>Mikrofon aktiviert</translation>
    </message>
    <message>
        <source>Enable Microphone…</source>
        <translation>Mikrofon aktivieren&#xa0;…</translation>
    </message>
    <message>
        <source>Microphone access was denied.</source>
        <translation>Der Mikrofonzugriff wurde verweigert.</translation>
    </message>
    <message>
        <source>Open System Settings…</source>
        <translation>Systemeinstellungen öffnen&#xa0;…</translation>
    </message>
</context>
<context>
    <name>lullwick::MicrophoneQuestion</name>
    <message>
        <source>Lullwick</source>
        <translation>Lullwick</translation>
    </message>
    <message>
        <source>“Lullwick” would like to access the microphone.</source>
        <translation>„Lullwick“ möchte auf das Mikrofon zugreifen.</translation>
    </message>
    <message>
        <source>It listens for your double clap: audio is analyzed in memory and never recorded.</source>
        <translation>Es hört auf Ihr doppeltes Klatschen: Der Ton wird im Speicher ausgewertet und nie aufgenommen.</translation>
    </message>
    <message>
        <source>Don&apos;t Allow</source>
        <translation>Nicht erlauben</translation>
    </message>
    <message>
        <source>Allow</source>
        <translation>Erlauben</translation>
    </message>
</context>
<context>
    <name>lullwick::OnboardingView</name>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Get Started</source>
        <translation>Los geht’s</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>Fertig</translation>
    </message>
</context>
<context>
    <name>lullwick::OnboardingWindowController</name>
    <message>
        <source>Lullwick Setup</source>
        <translation>Lullwick einrichten</translation>
    </message>
</context>
<context>
    <name>lullwick::PracticePage</name>
    <message>
        <source>Enable the microphone on the earlier step to try this.</source>
        <translation>Aktivieren Sie das Mikrofon in einem früheren Schritt, um es auszuprobieren.</translation>
    </message>
    <message>
        <source>Not triggering? Clap louder and sharper, or raise Sensitivity later from the tray icon.</source>
        <translation>Klappt es nicht? Klatschen Sie lauter und kräftiger, oder erhöhen Sie später die Empfindlichkeit über das Symbol in der Systemleiste.</translation>
    </message>
    <message>
        <source>Double clap detected!</source>
        <translation>Doppeltes Klatschen erkannt!</translation>
    </message>
    <message>
        <source>Try it — clap twice now</source>
        <translation>Probieren Sie es – klatschen Sie jetzt zweimal</translation>
    </message>
    <message numerus="yes">
        <source>Detected %n× — you&apos;re all set. Click Finish.</source>
        <translation>
            <numerusform>%n× erkannt – alles bereit. Klicken Sie auf „Fertig“.</numerusform>
            <numerusform>%n× erkannt – alles bereit. Klicken Sie auf „Fertig“.</numerusform>
        </translation>
    </message>
    <message>
        <source>Practice claps here never put your computer to sleep.</source>
        <translation>Probeklatschen hier versetzt Ihren Computer nie in den Standby.</translation>
    </message>
</context>
<context>
    <name>lullwick::ScheduleWindowRow</name>
    <message>
        <source>Listen during these hours</source>
        <translation>Zu diesen Zeiten zuhören</translation>
    </message>
    <message>
        <source>to</source>
        <translation>bis</translation>
    </message>
    <message>
        <source>Remove these hours</source>
        <translation>Diese Zeiten entfernen</translation>
    </message>
</context>
<context>
    <name>lullwick::WelcomePage</name>
    <message>
        <source>Welcome to Lullwick</source>
        <translation>Willkommen bei Lullwick</translation>
    </message>
    <message>
        <source>Clap twice — your computer goes to sleep.
Let&apos;s set everything up in under a minute.</source>
        <translation>Zweimal klatschen – Ihr Computer geht in den Standby.
In weniger als einer Minute ist alles eingerichtet.</translation>
    </message>
</context>
</TS>
