(* TOLQ'RXL: the sibling modelling tool's side of a model run as a net. It
 * holds the settings tolq sends before a run (units, report switches and
 * limits, size references, report kinds), the model's resource text and
 * transfer functions, the marking queries of its pieces, and the typed
 * requests through which the tool's code builds nets in tolq. *)
structure TOLQ'RXL =
struct
  structure K = Tolq.Kernel

  (* ---- what tolq sends ---- *)
  val RXL_res_string = ref ""
  val ABCDurations = ref false
  val TimeUnits = ref "Minutes"
  val CostUnits = ref "Dollars"
  val TimeReports = ref false
  val StartTimeVal = ref 0.0
  val StopTimeVal = ref 10000.0
  val TimeIntervalVal = ref 100.0
  val PieceReports = ref true
  val StartPieceVal = ref 0
  val StopPieceVal = ref (getOpt (Int.maxInt, 1073741823))
  val PieceIntervalVal = ref 100
  val SizeRef = ref false
  val SizeMinorRef = ref false
  val TOLQReports = ref false
  val ExcelReports = ref true
  (* Resources of a sequenced release stay until their sequence is done. *)
  val NoRemIfSeq = ref false

  (* Transfer functions of the model, (from, to) pairs, newest first. *)
  val transfan : (string * string) list ref = ref []

  (* ML texts, each adding the current marking text of one candidate place
   * to FindPiecesMarking when evaluated: the candidates of the diagram's
   * first list and of its second, in the order tolq keeps them. *)
  val MarkingCode : string list ref = ref []
  val MarkingCodePr : string list ref = ref []
  val FindPiecesMarking : string list ref = ref []

  (* ---- the model ---- *)

  (* The resources named by the resource text: the first word of each line. *)
  fun resources () =
      List.mapPartial
        (fn line => case String.tokens Char.isSpace line of w :: _ => SOME w | [] => NONE)
        (String.tokens (fn c => c = #"\n" orelse c = #"\r") (!RXL_res_string))

  (* Every transfer function must name resources of the resource text. *)
  fun RXL'CheckResData () =
      let val known = resources ()
          fun isKnown r = List.exists (fn k => k = r) known
      in if null known then raise Tolq.Error "RXL: no resource data"
         else case List.find (fn (a, b) => not (isKnown a andalso isKnown b)) (!transfan) of
                NONE => ()
              | SOME (a, b) => raise Tolq.Error ("RXL: transfer " ^ a ^ " -> " ^ b ^ " names an unknown resource")
      end

  val constructed = ref false
  fun ConstructModel () = (RXL'CheckResData (); constructed := true)

  (* ---- pieces ---- *)
  (* Newest first in FindPiecesMarking: the last candidate's text heads it. *)
  fun EvalMarkingCode () =
      (FindPiecesMarking := [];
       List.app (fn text => usestring [text]) (List.@ (!MarkingCode, !MarkingCodePr)))

  (* A candidate place holds a piece when it is marked. *)
  fun isMarked text = text <> "empty" andalso text <> "tempty" andalso text <> ""

  (* ---- requests of the net builder (tolq's codes 15005 to 15015) ---- *)
  fun opt NONE = "" | opt (SOME s) = s
  fun three c = let val a = K.int c val b = K.int c in (a, b, K.int c) end
  fun withHandles code args =
      Tolq.decode (K.call code args) (fn c => let val r = K.int c in (r, three c) end)

  (* A place at (x, y) named with its colour set and marking; R and the
   * place with its two inscriptions. *)
  fun MakePlace {page, refresh, x, y, name, colourSet, marking} =
      withHandles 15006 [K.U32 page, K.U32 (if refresh then 0 else 1), K.Px x, K.Px y,
                         K.Str name, K.Str colourSet, K.Str (opt marking)]
  fun MakeTransition {page, refresh, x, y, width, height, name, guard, code} =
      withHandles 15007 [K.U32 page, K.U32 (if refresh then 0 else 1), K.Px x, K.Px y, K.Px width,
                         K.Px height, K.Str (opt name), K.Str (opt guard), K.Str (opt code)]
  fun MakeArc {page, refresh, from, to, inscription} =
      Tolq.decode (K.call 15005 [K.U32 page, K.U32 from, K.U32 to, K.U32 (if refresh then 0 else 1),
                              K.Str inscription])
               (fn c => let val r = K.int c val a = K.int c in (r, a, K.int c) end)
  fun MakeDirectory path = K.result 15008 [K.Str path] = 1
  (* (node, 1 resource / else piece, page) triples *)
  fun MarkNodes triples =
      K.unit 15009 (K.U32 (3 * length triples)
                    :: List.concat (map (fn (n, k, p) => [K.U32 n, K.S16 k, K.U32 p]) triples))
  fun BuildReportPage {x, y, refresh, pieceLimit, returnInscription, sizeExpression, reportMode} =
      Tolq.decode (K.call 15010 [K.U32 x, K.U32 y, K.U32 (if refresh then 0 else 1), K.Str pieceLimit,
                              K.Str returnInscription, K.Str sizeExpression, K.Str reportMode])
               (fn c => List.tabulate (7, fn _ => K.int c))
  fun BuildResourceIdle {page, x, y, substitution, socket, spacing, resource, expressions = (e1, e2, e3, e4)} =
      K.result 15011 [K.S16 0, K.U32 page, K.U32 x, K.U32 y, K.U32 substitution, K.U32 socket, K.U32 spacing,
                      K.Str resource, K.Str e1, K.Str e2, K.Str e3, K.Str e4]
  fun BuildResourceList {page, x, y, spacing, resource, expressions = (e1, e2, e3)} =
      K.unit 15013 [K.S16 0, K.U32 page, K.U32 x, K.U32 y, K.U32 spacing, K.U32 0,
                    K.Str resource, K.Str e1, K.Str e2, K.Str e3]
  fun BuildPieceList {page, x, y, spacing, piece, inscription} =
      K.unit 15014 [K.S16 0, K.U32 page, K.U32 x, K.U32 y, K.U32 spacing, K.Str piece, K.Str inscription]
  (* Candidates of pieces: objects of a page, kept by tolq in the diagram's
   * first list (first = true) or second; finish stores the list. *)
  fun StorePieceCandidates {page, objects, first, finish} =
      K.unit 15018 [K.U32 page, K.U32 (if first then 1 else 0), K.U32 (if finish then 1 else 0), K.List objects]
  (* The pieces among the candidates of both lists, one flag each. *)
  fun SetPieces (flags : bool list) = K.unit 15017 [K.List (map (fn b => if b then 1 else 0) flags)]
  (* Flags the candidates whose place EvalMarkingCode found marked, one
   * flag per candidate in tolq's order, and hands them to tolq. *)
  fun FindPieces () = SetPieces (map isMarked (rev (!FindPiecesMarking)))
  (* The (first, second) numbers of the selected places' markings. *)
  fun SubstitutionPairs () =
      Tolq.decode (K.call 15015 [])
               (fn c => if K.int c = 0 then []
                        else let fun pairs (a :: b :: rest) = (a, b) :: pairs rest | pairs _ = []
                             in pairs (TolqBytes.getWordList c) end)
end

(* The page instances of a page record, asked of tolq. *)
fun GetPageInsts (page : int) : int list = Tolq.Kernel.pageInstances page

(* The ML expression that gives the marking text of a place in a page
 * instance, as tolq writes it (its function table's place-state row), without
 * the closing semicolon. *)
fun GetMarkingCode {instid : int, placeid : int} =
    let val text = Tolq.Table.textCall (Tolq.Table.placeStateText,
                                        [Tolq.Table.In (Tolq.Table.INT, Tolq.Table.I placeid),
                                         Tolq.Table.In (Tolq.Table.INT, Tolq.Table.I instid)])
        val trimmed = Substring.dropr (fn c => c = #";" orelse Char.isSpace c) (Substring.full text)
    in if Substring.isEmpty trimmed then raise Tolq.Error "GetMarkingCode: no such place in the instance"
       else "(" ^ Substring.string trimmed ^ ")"
    end
