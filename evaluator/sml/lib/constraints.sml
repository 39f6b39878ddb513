(* tolq's declaration requests (field-list class 300): one declaration
 * entry at a time is declared at top level, a colour set from its kind's
 * fields, any other entry from its text; the answer names each record by
 * its ML number with either the compiler's message or the names the
 * declaration introduced, each with its kind. *)
structure TolqConstraints =
struct
  structure D = TolqDecl
  structure T = TolqText

  (* Kinds of the introduced names in the answer. *)
  val kindValue = 1
  val kindType = 2
  val kindStructure = 3
  val kindSignature = 4
  val kindFunctor = 5

  (* A request that does not follow the layout tolq sends. *)
  exception Layout of string

  (* What declaring gave: the names introduced, or the refusal's message. *)
  datatype outcome = Names of (string * int) list | Refused of string

  (* ---- compiling while recording what is declared ---- *)

  (* A name space that forwards to the global one and notes every name
   * entered into it. *)
  fun recordingSpace (entered : (string * int) list ref) =
      let val g = PolyML.globalNameSpace
          fun note k n = if List.exists (fn (m, j) => m = n andalso j = k) (!entered) then ()
                         else entered := (n, k) :: !entered
      in {lookupVal = #lookupVal g, lookupType = #lookupType g, lookupFix = #lookupFix g,
          lookupStruct = #lookupStruct g, lookupSig = #lookupSig g, lookupFunct = #lookupFunct g,
          enterVal = fn (n, v) => (note kindValue n; #enterVal g (n, v)),
          enterType = fn (n, v) => (note kindType n; #enterType g (n, v)),
          enterFix = #enterFix g,
          enterStruct = fn (n, v) => (note kindStructure n; #enterStruct g (n, v)),
          enterSig = fn (n, v) => (note kindSignature n; #enterSig g (n, v)),
          enterFunct = fn (n, v) => (note kindFunctor n; #enterFunct g (n, v)),
          allVal = #allVal g, allType = #allType g, allFix = #allFix g,
          allStruct = #allStruct g, allSig = #allSig g, allFunct = #allFunct g}
      end

  (* Compiles and runs text at top level; the names it declared, in order,
   * or the compiler's messages (or the exception's text) when it failed. *)
  fun declare (text : string) : outcome =
      let val entered = ref []
          val messages = ref []
          fun say s = messages := s :: !messages
          val errors = ref false
          fun report {message, hard, location : PolyML.location, context = _} =
              if hard then
                (errors := true;
                 say ("line " ^ Int.toString (#startLine location) ^ ": ");
                 PolyML.prettyPrint (say, 77) message;
                 say "\n")
              else ()
          val n = size text
          val pos = ref 0
          val line = ref 1
          fun getc () =
              if !pos >= n then NONE
              else let val c = String.sub (text, !pos)
                   in pos := !pos + 1;
                      if c = #"\n" then line := !line + 1 else ();
                      SOME c
                   end
          fun more () =
              (while !pos < n andalso Char.isSpace (String.sub (text, !pos)) do
                 (if String.sub (text, !pos) = #"\n" then line := !line + 1 else ();
                  pos := !pos + 1);
               !pos < n)
          val params =
              [PolyML.Compiler.CPOutStream (fn _ => ()),
               PolyML.Compiler.CPErrorMessageProc report,
               PolyML.Compiler.CPNameSpace (recordingSpace entered),
               PolyML.Compiler.CPFileName "declaration",
               PolyML.Compiler.CPLineNo (fn () => !line)]
          fun loop () = if more () then (PolyML.compiler (getc, params) (); loop ()) else ()
          fun text () = T.trim (String.concat (rev (!messages)))
      in (loop (); Names (rev (!entered)))
         handle e as Thread.Thread.Interrupt => raise e
              | Tolq.Error m => Refused m
              | e => Refused (if !errors then text () else "Unhandled Exception: " ^ exnMessage e)
      end

  (* ---- reading a request ---- *)

  (* The three sequences of a request, read front to back. *)
  type cursor = {ints : int list ref, strings : string list ref, shorts : int list ref}

  fun next (r : 'a list ref, what) =
      case !r of x :: rest => (r := rest; x) | [] => raise Layout ("missing " ^ what)
  fun int (c : cursor) = next (#ints c, "integer")
  fun str (c : cursor) = next (#strings c, "string")
  fun short (c : cursor) = next (#shorts c, "short")
  fun strs (c : cursor) k =
      if k < 0 orelse k > 65536 then raise Layout "count out of range" else List.tabulate (k, fn _ => str c)
  fun counted c = strs c (int c)

  fun opt "" = NONE | opt s = SOME s
  fun range (a, b) = if a = "" orelse b = "" then NONE else SOME (a, b)
  fun rangeOf c = let val a = str c val b = str c in range (a, b) end

  (* The fields of a colour set of the kind code, after its ML number. *)
  fun colourSetKind (code, c : cursor) : D.kind =
      case code of
        1 => D.Unit (opt (str c))
      | 2 => (case rangeOf c of SOME (f, t) => D.Bool (SOME (f, t)) | NONE => D.Bool NONE)
      | 3 => D.Int (rangeOf c)
      | 4 => D.Real (rangeOf c)
      | 24 => D.IntInf (rangeOf c)
      | 5 => let val chars = rangeOf c in D.Str (chars, rangeOf c) end
      | 6 => D.Enum (counted c)
      | 7 => let val i = str c in D.Index (i, rangeOf c) end
      | 8 => let val e = str c in D.List (e, rangeOf c) end
      | 9 => D.Product (counted c)
      | 10 => D.Record (List.tabulate (int c, fn _ => let val l = str c in (l, str c) end))
      | 11 => D.Union (List.tabulate (int c, fn _ => let val l = str c in (l, opt (str c)) end))
      | 12 => let val b = str c in D.SubsetBy (b, str c) end
      | 13 => let val b = str c in D.SubsetWith (b, counted c) end
      | 14 => D.Time
      | 15 => D.Dup (str c)
      | _ => raise Layout ("colour-set kind " ^ Int.toString code)

  (* ---- the declarations ---- *)

  (* Names a colour set's text refers to that must be identifiers. *)
  fun checkIdent what s = if T.isIdent s then () else raise Tolq.Error (s ^ " : " ^ what ^ " is not an identifier.")

  fun declareItems (name : string, words : string list) =
      String.concat (map (fn w => "val _ = " ^ name ^ "." ^ w ^ ";\n") words)

  fun colourSet (code, c : cursor) : string =
      let val kind = colourSetKind (code, c)
          val name = str c
          val timed = short c <> 0
          val vars = counted c
          val msvars = counted c
          val aliases = counted c
          val declares = counted c
          val () = checkIdent "the name" name
          val () = List.app (checkIdent "a variable") (vars ^^ msvars)
          val () = List.app (checkIdent "an alias") aliases
          val cs = {name = name, kind = kind, timed = timed, vars = vars, msvars = msvars, aliases = aliases}
      in TolqEdit.addRow {name = name, timed = timed};
         List.app (fn a => TolqEdit.addRow {name = a, timed = timed}) aliases;
         List.app (fn v => TolqEdit.addVar {name = v, cs = name, ms = false}) vars;
         List.app (fn v => TolqEdit.addVar {name = v, cs = name, ms = true}) msvars;
         D.colourSetText cs ^ declareItems (name, declares)
      end

  (* The ML text of a declaration entry's text: statvar reads like a globref. *)
  fun entryText (text : string) : string =
      case T.tokens text handle T.Lex m => raise Tolq.Error ("Syntax error: " ^ m ^ ".") of
        first :: _ => if #text first = "statvar" then TolqEdit.refDecl text else TolqEdit.withSemicolon text
      | [] => raise Tolq.Error "The declaration is empty."

  fun globref (c : cursor) =
      let val name = str c
          val value = case !(#strings c) of [] => "" | _ => str c
      in checkIdent "the name" name;
         if T.trim value = "" then raise Tolq.Error (name ^ " : An expression is required.")
         else "val " ^ name ^ " = ref (" ^ value ^ ");"
      end

  (* The entry's name is the file as written after "use", quotes included. *)
  fun useFile (c : cursor) =
      let val name = T.trim (str c)
          val n = size name
          val file = if n >= 2 andalso String.sub (name, 0) = #"\"" andalso String.sub (name, n - 1) = #"\""
                     then String.substring (name, 1, n - 2) else name
      in "use " ^ D.q file ^ ";" end

  (* Item lists of a colour set: 20 var, 21 msvar, 22 alias, 23 declare. *)
  fun itemList (code, c : cursor) : string =
      let val count = int c
          val name = str c
          val items = strs c count
          fun known () =
              if TolqEdit.knownColourSet name orelse isSome (#lookupType PolyML.globalNameSpace name) then ()
              else raise Tolq.Error (name ^ " is not a declared color set.")
      in known ();
         case code of
           20 => (List.app (checkIdent "a variable") items;
                  List.app (fn v => TolqEdit.addVar {name = v, cs = name, ms = false}) items; "")
         | 21 => (List.app (checkIdent "a variable") items;
                  List.app (fn v => TolqEdit.addVar {name = v, cs = name, ms = true}) items; "")
         | 22 => (List.app (checkIdent "an alias") items;
                  String.concat
                    (map (fn a => (TolqEdit.addRow {name = a, timed = false};
                                   String.concat ["type ", a, " = ", name, ";\n",
                                                  "val mkst_col'", a, " = mkst_col'", name, ";\n",
                                                  "val TOLQ'legal_col'", a, " = TOLQ'legal_col'", name, ";\n",
                                                  "val ran'", a, " = ran'", name, ";\n",
                                                  D.helpers (a, false), "structure ", a, " = ", name, ";\n"]))
                         items))
         | _ => declareItems (name, items)
      end

  (* The ML text of one request, after its ML number. *)
  fun requestText (code, c : cursor) : string =
      if (code >= 1 andalso code <= 15) orelse code = 24 then colourSet (code, c)
      else case code of
             16 => globref c
           | 17 => useFile c
           | 18 => entryText (str c)
           | 20 => itemList (code, c) | 21 => itemList (code, c)
           | 22 => itemList (code, c) | 23 => itemList (code, c)
           | _ => raise Layout ("code " ^ Int.toString code)

  (* Names the helpers of the library give themselves are not the user's. *)
  fun own (n, _) = not (String.isPrefix "TOLQ'" n) andalso n <> "it" andalso n <> "_"

  (* One record: ML number, message, and the names when there is none. *)
  fun answer (ml : string, outcome) : TolqLink.fields =
      case outcome of
        Names names =>
          let val shown = List.filter own names
          in {shorts = [], ints = [1, 1, length shown] ^^ map #2 shown, strings = [ml, ""] ^^ map #1 shown} end
      | Refused message =>
          {shorts = [], ints = [1, 1, 0],
           strings = [ml, if message = "" then "The declaration was refused." else message]}

  fun serve ({shorts, ints, strings} : TolqLink.fields) : TolqLink.fields =
      case ints of
        _ :: _ :: code :: rest =>
          let val c = {ints = ref rest, strings = ref strings, shorts = ref shorts}
              val ml = str c
              val outcome = (let val text = requestText (code, c)
                         in if text = "" then Names [] else declare text end)
                        handle Tolq.Error m => Refused m
          in answer (ml, outcome) end
      | _ => raise Layout "no code"

  (* The multiset text function of a colour set from its value text
   * function, as the follow-ups of "declare mkst_ms" use it. *)
  val () = TolqEval.usestring ["fun mkstr_ms (mk : 'a -> string) : 'a ms -> string = TolqMS.text mk;"]

  val previous = !TolqLink.fieldServer
  val () = Tolq.Fields.serve
             (fn (r as {ints = 300 :: _, ...}) => serve r
               | r => previous r)
end
