// The benchmark's application: as little as an application can be. It ends the process itself, as
// a Tarnbeck application does: a main that returns would leave the launcher showing its closing box.
package bench;

public final class TinyApp {
    public static void main(String[] args) {
        System.out.println("tiny app ran");
        System.exit(0);
    }
}
