(* The performance page: the page named Performance_Functions and its
 * auxiliary boxes (nodes that are neither places nor transitions). Its one
 * box holds the code that makes the data collectors; tolq evaluates it when
 * the tool is entered and when the state is initialised. *)
structure Perf'Page =
struct
  val PerfPageName = "Performance_Functions"

  fun pageName page = getOpt (Tolq.Kernel.whenNonZero 9030 [Tolq.Kernel.U32 page] Tolq.Kernel.pstr, "")

  fun isAuxBox obj = #1 (TolqPerf.objectKind obj) = 0

  fun auxBoxes name =
      case List.find (fn p => pageName p = name) (Tolq.Kernel.pageList ()) of
        SOME page => List.filter isAuxBox (Tolq.Kernel.nodeList page)
      | NONE => []

  fun noOfAuxBoxes () = TolqEdit.outVal (Int.toString (length (auxBoxes PerfPageName)))

  fun getPerfBox name =
      case auxBoxes name of
        [box] => box
      | _ => raise Tolq.Error ("There must be exactly one auxiliary box on the " ^ name ^ " page.")
end;
