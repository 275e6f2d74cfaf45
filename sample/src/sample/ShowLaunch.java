// The sample application behind build/sample/Tarnbeck.jar: shows what the launcher handed to main
// (each argument, and the parameters of a magnet: link among them), the class path and the command
// property, then ends the process itself as a real application does.
package sample;

public class ShowLaunch {
    public static void main(String[] args) {
        System.out.println("Tarnbeck sample application: main received " + args.length + " argument(s)");
        for (int i = 0; i < args.length; i++) {
            System.out.println("  args[" + i + "] = " + args[i]);
            if (args[i].startsWith("magnet:?")) {
                showMagnetLink(args[i]);
            }
        }
        System.out.println("java.class.path  = " + System.getProperty("java.class.path"));
        System.out.println("sun.java.command = " + System.getProperty("sun.java.command"));
        System.out.println("java.version     = " + System.getProperty("java.version"));
        // A main that simply returns counts as the VM ending on its own, which the launcher reports
        // with its "unable to load" box; the application ends the process itself instead.
        System.exit(0);
    }

    private static void showMagnetLink(String link) {
        System.out.println("    a magnet: link with these parameters:");
        for (String parameter : link.substring("magnet:?".length()).split("&")) {
            int equals = parameter.indexOf('=');
            String name = equals < 0 ? parameter : parameter.substring(0, equals);
            String value = equals < 0 ? "" : decode(parameter.substring(equals + 1));
            System.out.println("      " + name + " = " + value);
        }
    }

    private static String decode(String value) {
        try {
            return java.net.URLDecoder.decode(value, "UTF-8");
        } catch (IllegalArgumentException | java.io.UnsupportedEncodingException e) {
            return value;
        }
    }
}
