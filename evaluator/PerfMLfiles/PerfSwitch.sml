(* The performance tool's start: collectors of an earlier entry go, the
 * template maker appends to the performance box, and the box becomes the
 * current object, whose code tolq evaluates next. *)
val () = Perf'SimInterface.Perf'InitSimInterface ();

structure Perf'CreateTemplate =
struct
  (* A collector for the selected places: its line goes into the box, and
   * it is made at once. *)
  fun genTemplate (statistics : bool, logFile : bool, timed : bool, instance : int, name : string) =
      let val collector = {name = name, statistics = statistics, logFile = logFile, timed = timed,
                           instance = instance, objects = TolqPerf.selection ()}
          val box = Perf'Page.getPerfBox Perf'Page.PerfPageName
      in Perf'DC.create collector
         handle e as Tolq.Error msg => (Tolq.Kernel.showMessage msg; raise e);
         ignore (Tolq.Kernel.appendText (box, "\n" ^ TolqPerf.templateLine collector))
      end
end;

val () = QXStr_SetCurObject (Perf'Page.getPerfBox Perf'Page.PerfPageName);
