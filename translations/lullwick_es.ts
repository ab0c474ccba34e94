<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es" sourcelanguage="en">
<context>
    <name>Metadata</name>
    <message>
        <source>Clap to Sleep</source>
        <translation>Suspender con palmadas</translation>
    </message>
    <message>
        <source>Clap twice to put the computer to sleep</source>
        <translation>Dé dos palmadas para suspender el equipo</translation>
    </message>
    <message>
        <source>sleep;suspend;clap;microphone;</source>
        <extracomment>Search words, each ending in a semicolon; not translated one by one.</extracomment>
        <translation>suspender;dormir;reposo;palmada;aplauso;micrófono;</translation>
    </message>
    <message>
        <source>Lullwick lives in the system tray and listens to the default microphone. When it hears a double clap, two short sharp claps a moment apart, it asks for confirmation with a card that counts down from ten, or puts the computer to sleep at once, as you choose. While a video is playing the card cancels itself, so that applause in a film never stops the film.</source>
        <translation>Lullwick vive en la bandeja del sistema y escucha el micrófono predeterminado. Cuando oye una doble palmada, dos palmadas cortas y secas seguidas, pide confirmación con una tarjeta que cuenta atrás desde diez, o suspende el equipo al instante, según elija. Mientras se reproduce un vídeo, la tarjeta se cancela sola, para que los aplausos de una película nunca detengan la película.</translation>
    </message>
    <message>
        <source>Listening can be limited to daily listening hours; outside them, and whenever listening is switched off, the microphone is fully closed. A setup assistant walks through the microphone, the sleep behaviour, the listening hours and a practice clap.</source>
        <translation>La escucha puede limitarse a un horario de escucha diario; fuera de él, y siempre que la escucha esté desactivada, el micrófono queda cerrado por completo. Un asistente de configuración le guía por el micrófono, el modo de suspensión, el horario de escucha y una palmada de prueba.</translation>
    </message>
    <message>
        <source>Permissions it needs:</source>
        <translation>Permisos que necesita:</translation>
    </message>
    <message>
        <source>The microphone, and only after you allowed it in Lullwick&apos;s own question. Audio is analysed in memory, 1024 samples at a time, and never recorded, stored or sent anywhere.</source>
        <translation>El micrófono, y solo después de que usted lo haya permitido en la pregunta de Lullwick. El sonido se analiza en memoria, 1024 muestras cada vez, y nunca se graba, se guarda ni se envía a ningún sitio.</translation>
    </message>
    <message>
        <source>Putting the computer to sleep, which it asks of the system (systemd or elogind).</source>
        <translation>Suspender el equipo, algo que solicita al sistema (systemd o elogind).</translation>
    </message>
    <message>
        <source>Reading the desktop&apos;s lists of programs that keep the screen awake, to tell a film.</source>
        <translation>Leer las listas del escritorio con los programas que mantienen la pantalla encendida, para reconocer una película.</translation>
    </message>
    <message>
        <source>Starting at login, only when you switch that on.</source>
        <translation>Iniciarse al iniciar la sesión, solo si usted lo activa.</translation>
    </message>
    <message>
        <source>The commands lullwick analyze and lullwick listen show what the clap detector hears in a sound file or from the microphone.</source>
        <translation>Las órdenes lullwick analyze y lullwick listen muestran lo que el detector de palmadas oye en un archivo de sonido o desde el micrófono.</translation>
    </message>
</context>
<context>
    <name>lullwick::AppState</name>
    <message>
        <source>Microphone access needed</source>
        <translation>Se necesita acceso al micrófono</translation>
    </message>
    <message>
        <source>Run the Setup Assistant to start</source>
        <translation>Ejecute el asistente de configuración para empezar</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>En pausa</translation>
    </message>
    <message>
        <source>Off schedule — no hours set</source>
        <translation>Fuera del horario — no hay horas definidas</translation>
    </message>
    <message>
        <source>Off schedule — resumes at %1</source>
        <translation>Fuera del horario — se reanuda a las %1</translation>
    </message>
    <message>
        <source>Listening for 👏👏</source>
        <translation>Atento a 👏👏</translation>
    </message>
    <message>
        <source>Starting microphone…</source>
        <translation>Iniciando el micrófono…</translation>
    </message>
</context>
<context>
    <name>lullwick::BehaviorPage</name>
    <message>
        <source>How It Sleeps</source>
        <translation>Cómo se suspende</translation>
    </message>
    <message>
        <source>Clap twice, sharply, about half a second apart.</source>
        <translation>Dé dos palmadas secas, con medio segundo de separación aproximadamente.</translation>
    </message>
    <message>
        <source>Always Ask Before Sleeping</source>
        <translation>Preguntar siempre antes de suspender</translation>
    </message>
    <message>
        <source>Ask Only While a Video Is Playing</source>
        <translation>Preguntar solo mientras se reproduce un vídeo</translation>
    </message>
    <message>
        <source>The confirmation counts down 10 seconds, then sleeps by itself — clapping from across the room still works. Press Esc to cancel.</source>
        <translation>La confirmación cuenta atrás 10 segundos y después suspende por sí sola — las palmadas desde el otro lado de la habitación también funcionan. Pulse Esc para cancelar.</translation>
    </message>
    <message>
        <source>If a video is playing (YouTube, Netflix, VLC…), Lullwick always asks and auto-cancels instead — applause in a movie will never stop your film.</source>
        <translation>Si se está reproduciendo un vídeo (YouTube, Netflix, VLC…), Lullwick siempre pregunta y se cancela solo — los aplausos de una película nunca detendrán su película.</translation>
    </message>
</context>
<context>
    <name>lullwick::ConfirmationPanelController</name>
    <message>
        <source>Lullwick: Sleep?</source>
        <translation>Lullwick: ¿suspender?</translation>
    </message>
</context>
<context>
    <name>lullwick::ConfirmationView</name>
    <message>
        <source>Clap-clap detected</source>
        <translation>¡Plas, plas! Doble palmada</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Sleep Anyway</source>
        <translation>Suspender de todos modos</translation>
    </message>
    <message>
        <source>Sleep Now</source>
        <translation>Suspender ahora</translation>
    </message>
    <message numerus="yes">
        <source>A video is playing — ignoring in %ns unless you confirm.</source>
        <translation>
            <numerusform>Se está reproduciendo un vídeo — se ignorará en %n&#xa0;segundo salvo que confirme.</numerusform>
            <numerusform>Se está reproduciendo un vídeo — se ignorará en %n&#xa0;segundos salvo que confirme.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Going to sleep in %ns…</source>
        <translation>
            <numerusform>Se suspenderá en %n&#xa0;segundo…</numerusform>
            <numerusform>Se suspenderá en %n&#xa0;segundos…</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>lullwick::GoodNightPanelController</name>
    <message>
        <source>Lullwick: Good night</source>
        <translation>Lullwick: buenas noches</translation>
    </message>
</context>
<context>
    <name>lullwick::GoodNightView</name>
    <message>
        <source>Good night!</source>
        <translation>¡Buenas noches!</translation>
    </message>
</context>
<context>
    <name>lullwick::ListeningHoursPage</name>
    <message>
        <source>Listening Hours</source>
        <translation>Horario de escucha</translation>
    </message>
    <message>
        <source>Keep the mic off except when you actually use Lullwick —
around bedtime, a lunch break, whenever suits you.</source>
        <translation>Mantenga el micro apagado salvo cuando de verdad use Lullwick —
a la hora de dormir, en la pausa de la comida, cuando le venga bien.</translation>
    </message>
    <message>
        <source>Listen only during scheduled hours</source>
        <translation>Escuchar solo en el horario programado</translation>
    </message>
    <message>
        <source>No hours yet — add a window below.</source>
        <translation>Aún no hay horas — añada una franja abajo.</translation>
    </message>
    <message>
        <source>Add Hours</source>
        <translation>Añadir horas</translation>
    </message>
    <message>
        <source>Windows can cross midnight (9:00 PM – 7:00 AM) and you can add several — e.g. a lunch nap from 12:00 to 2:00 PM.</source>
        <translation>Las franjas pueden cruzar la medianoche (21:00 – 7:00) y puede añadir varias — p. ej., una siesta de 12:00 a 14:00.</translation>
    </message>
    <message>
        <source>Outside these hours the microphone is completely off and the tray icon becomes a moon.</source>
        <translation>Fuera de este horario el micrófono está completamente apagado y el icono de la bandeja se convierte en una luna.</translation>
    </message>
</context>
<context>
    <name>lullwick::LullwickApp</name>
    <message>
        <source>Lullwick has no tray icon</source>
        <translation>Lullwick no tiene icono en la bandeja</translation>
    </message>
    <message>
        <source>This desktop shows no tray icons, so Lullwick&apos;s menu cannot appear. On GNOME, install and enable the extension “AppIndicator and KStatusNotifierItem Support”.</source>
        <translation>Este escritorio no muestra iconos en la bandeja del sistema, así que el menú de Lullwick no puede aparecer. En GNOME, instale y active la extensión «AppIndicator and KStatusNotifierItem Support».</translation>
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
        <translation>Escuchar la doble palmada</translation>
    </message>
    <message>
        <source>Only During Scheduled Hours</source>
        <translation>Solo en el horario programado</translation>
    </message>
    <message>
        <source>Edit Listening Hours…</source>
        <translation>Editar el horario de escucha…</translation>
    </message>
    <message>
        <source>Allow Microphone Access…</source>
        <translation>Permitir el acceso al micrófono…</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Confirmación</translation>
    </message>
    <message>
        <source>Always Ask Before Sleeping</source>
        <translation>Preguntar siempre antes de suspender</translation>
    </message>
    <message>
        <source>Ask Only While a Video Is Playing</source>
        <translation>Preguntar solo mientras se reproduce un vídeo</translation>
    </message>
    <message>
        <source>Sensitivity</source>
        <translation>Sensibilidad</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Baja</translation>
    </message>
    <message>
        <source>Medium</source>
        <translation>Media</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Alta</translation>
    </message>
    <message>
        <source>Setup Assistant…</source>
        <translation>Asistente de configuración…</translation>
    </message>
    <message>
        <source>Sleep Now</source>
        <translation>Suspender ahora</translation>
    </message>
    <message>
        <source>Start at Login</source>
        <translation>Abrir al iniciar la sesión</translation>
    </message>
    <message>
        <source>Quit Lullwick</source>
        <translation>Salir de Lullwick</translation>
    </message>
</context>
<context>
    <name>lullwick::MicrophonePage</name>
    <message>
        <source>Microphone Access</source>
        <translation>Acceso al micrófono</translation>
    </message>
    <message>
        <source>Lullwick needs the microphone to hear your claps.</source>
        <translation>Lullwick necesita el micrófono para oír sus palmadas.</translation>
    </message>
    <message>
        <source>Audio is analyzed live, in memory — nothing is ever recorded or stored.</source>
        <translation>El sonido se analiza en directo, en memoria — nunca se graba ni se guarda nada.</translation>
    </message>
    <message>
        <source>Your desktop may show a microphone indicator whenever Lullwick is listening — that&apos;s normal.</source>
        <translation>Es posible que su escritorio muestre un indicador de micrófono mientras Lullwick escucha — es normal.</translation>
    </message>
    <message>
        <source>On the next steps you can set listening hours, so the mic isn&apos;t on all the time.</source>
        <translation>En los siguientes pasos puede definir un horario de escucha, para que el micro no esté encendido todo el tiempo.</translation>
    </message>
    <message>
        <source>Microphone enabled</source>
        <translation>Micrófono activado</translation>
    </message>
    <message>
        <source>Enable Microphone…</source>
        <translation>Activar el micrófono…</translation>
    </message>
    <message>
        <source>Microphone access was denied.</source>
        <translation>Se denegó el acceso al micrófono.</translation>
    </message>
    <message>
        <source>Open System Settings…</source>
        <translation>Abrir la configuración del sistema…</translation>
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
        <translation>«Lullwick» quiere acceder al micrófono.</translation>
    </message>
    <message>
        <source>It listens for your double clap: audio is analyzed in memory and never recorded.</source>
        <translation>Escucha su doble palmada: el sonido se analiza en memoria y nunca se graba.</translation>
    </message>
    <message>
        <source>Don&apos;t Allow</source>
        <translation>No permitir</translation>
    </message>
    <message>
        <source>Allow</source>
        <translation>Permitir</translation>
    </message>
</context>
<context>
    <name>lullwick::OnboardingView</name>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
    <message>
        <source>Get Started</source>
        <translation>Empezar</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Continuar</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>Terminar</translation>
    </message>
</context>
<context>
    <name>lullwick::OnboardingWindowController</name>
    <message>
        <source>Lullwick Setup</source>
        <translation>Configuración de Lullwick</translation>
    </message>
</context>
<context>
    <name>lullwick::PracticePage</name>
    <message>
        <source>Enable the microphone on the earlier step to try this.</source>
        <translation>Active el micrófono en un paso anterior para probarlo.</translation>
    </message>
    <message>
        <source>Not triggering? Clap louder and sharper, or raise Sensitivity later from the tray icon.</source>
        <translation>¿No funciona? Dé palmadas más fuertes y secas, o suba la sensibilidad más tarde desde el icono de la bandeja.</translation>
    </message>
    <message>
        <source>Double clap detected!</source>
        <translation>¡Doble palmada detectada!</translation>
    </message>
    <message>
        <source>Try it — clap twice now</source>
        <translation>Pruébelo — dé dos palmadas ahora</translation>
    </message>
    <message numerus="yes">
        <source>Detected %n× — you&apos;re all set. Click Finish.</source>
        <translation>
            <numerusform>Detectada %n× — todo listo. Pulse Terminar.</numerusform>
            <numerusform>Detectada %n× — todo listo. Pulse Terminar.</numerusform>
        </translation>
    </message>
    <message>
        <source>Practice claps here never put your computer to sleep.</source>
        <translation>Las palmadas de práctica de aquí nunca suspenden su equipo.</translation>
    </message>
</context>
<context>
    <name>lullwick::ScheduleWindowRow</name>
    <message>
        <source>Listen during these hours</source>
        <translation>Escuchar en este horario</translation>
    </message>
    <message>
        <source>to</source>
        <translation>a</translation>
    </message>
    <message>
        <source>Remove these hours</source>
        <translation>Quitar estas horas</translation>
    </message>
</context>
<context>
    <name>lullwick::WelcomePage</name>
    <message>
        <source>Welcome to Lullwick</source>
        <translation>Le damos la bienvenida a Lullwick</translation>
    </message>
    <message>
        <source>Clap twice — your computer goes to sleep.
Let&apos;s set everything up in under a minute.</source>
        <translation>Dé dos palmadas — su equipo se suspende.
Configuremos todo en menos de un minuto.</translation>
    </message>
</context>
</TS>
